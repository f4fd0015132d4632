#!/usr/bin/env python3
"""Writes the shipped document templates as flat OpenDocument text files
(documents/<template name>.fodt); the build converts each into <name>.dot
and <name>.ott.

Every template is a page of the blank's size with text frames where the
blank's fields are, holding placeholders in square brackets, and the picture
"Подложка": an outline of the blank marked as a sample, which the program
removes from a printed document unless the user keeps it. Supplements hold
a grades table whose row with [ДИСЦИПЛИНА] is repeated per grade line.

Run it again after changing a layout:  python3 make_document_templates.py
"""
import base64
import os
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "documents")

def when(date):
    """A stored date written whole, «05» марта 2024 г., or nothing without one."""
    return f"[{date}.ПРОПИСЬЮ]"


ISSUED = "[ДАТА ВЫДАЧИ]"
EARLIER = "[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]"
HEAD = "[INF.isIO] [INF.FIORUK]"
# The diploma's signature: the head, or for a duplicate of a liquidated
# institution the education authority's position in the head's place.
SIGNER = "[РУКОВОДИТЕЛЬ]"
SIGNATURE = "[РУКОВОДИТЕЛЬ.ДОЛЖНОСТЬ]\t[РУКОВОДИТЕЛЬ]"

# Layouts: page (width, height) in mm; frames (name, x, y, w, h, text, point
# size, alignment) where the blank leaves room for a value; labels (x, y,
# text, size in mm, anchor) are the blank's printed wording, drawn on the
# background only. A grades table flows in the body: "margins" (top, bottom,
# left, right) set its area on every page, "start" the height at which it
# begins on the first page, "columns" its column widths; "page_columns" 2
# lets it run from one half of a landscape sheet into the next, beginning in
# the right half of the first page.
LAYOUTS = {
    "certificate": {
        "page": (297, 210),
        "labels": [
            (74, 24, "РОССИЙСКАЯ ФЕДЕРАЦИЯ", 4, "middle"),
            (20, 150, "Регистрационный номер", 3.2, "start"),
            (20, 162, "Город", 3.2, "start"),
            (20, 174, "Дата выдачи", 3.2, "start"),
            (222, 22, "СЕРТИФИКАТ СПЕЦИАЛИСТА", 6, "middle"),
            (222, 46, "Настоящий сертификат выдан", 3.5, "middle"),
            (222, 76, "решением экзаменационной квалификационной комиссии при", 3.2, "middle"),
            (163, 106, "от", 3.2, "start"),
            (234, 106, "протокол №", 3.2, "start"),
            (222, 118, "присвоен статус специалиста по специальности", 3.2, "middle"),
            (222, 148, "Сертификат действителен пять лет", 3.2, "middle"),
            (163, 172, "Председатель экзаменационной комиссии", 3, "start"),
            (163, 186, "М.П.", 3, "start"),
        ],
        "frames": [
            ("Учреждение", 15, 32, 118, 34, "[INF.NAIM]", 10, "center"),
            ("Регистрационный номер", 68, 145.5, 60, 7, "[REGNOMMED]", 12, "left"),
            ("Город", 35, 157.5, 93, 7, "[INF.GORODMED]", 11, "left"),
            ("Дата выдачи", 48, 169.5, 80, 7, when("SPGRUP.DatMed"), 12, "left"),
            ("Номер бланка", 180, 27, 85, 7, "[NOMMED]", 12, "center"),
            ("Дубликат", 180, 35, 85, 6, "[DUBLMED]", 12, "center"),
            ("Фамилия", 160, 50, 125, 8, "[FamD]", 15, "center"),
            ("Имя и отчество", 160, 59, 125, 8, "[ImD] [OtchD]", 15, "center"),
            ("Организация комиссии", 160, 79, 125, 20, "[INF.NAIMMED]", 10, "center"),
            ("Дата решения", 169, 101.5, 63, 7, when("SPGRUP.DatGAKMed"), 11, "left"),
            ("Протокол", 257, 101.5, 28, 7, "[SPGRUP.PRGAKMed]", 11, "left"),
            ("Специальность", 160, 121, 125, 16, "[SPMED.NAIM]", 14, "center"),
        ],
    },
    "diploma-title": {
        "page": (297, 210),
        "labels": [
            (74, 22, "РОССИЙСКАЯ ФЕДЕРАЦИЯ", 4, "middle"),
            (74, 74, "ДИПЛОМ", 7, "middle"),
            (74, 81, "о среднем профессиональном образовании", 3.5, "middle"),
            (74, 112, "Документ об образовании и о квалификации", 3, "middle"),
            (20, 150, "Регистрационный номер", 3.2, "start"),
            (20, 162, "Дата выдачи", 3.2, "start"),
            (222, 22, "Настоящий диплом свидетельствует о том, что", 3.5, "middle"),
            (222, 52, "освоил(а) образовательную программу среднего профессионального", 3.2, "middle"),
            (222, 57, "образования по специальности", 3.2, "middle"),
            (222, 84, "и успешно прошел(ла) государственную итоговую аттестацию.", 3.2, "middle"),
            (222, 96, "Решением государственной экзаменационной комиссии", 3.2, "middle"),
            (163, 106, "от", 3.2, "start"),
            (234, 106, "протокол", 3.2, "start"),
            (222, 118, "присвоена квалификация", 3.2, "middle"),
            (163, 150, "Председатель государственной", 3, "start"),
            (163, 155, "экзаменационной комиссии", 3, "start"),
            (163, 170, "Руководитель образовательной", 3, "start"),
            (163, 175, "организации", 3, "start"),
            (163, 190, "М.П.", 3, "start"),
        ],
        "frames": [
            ("Учреждение", 15, 28, 118, 32, "[INF.NAIM]", 10, "center"),
            ("Номер бланка", 30, 92, 88, 8, "[DIPL]", 12, "center"),
            ("Дубликат", 30, 101, 88, 6, "[DUBL]", 12, "center"),
            ("Регистрационный номер", 68, 145.5, 60, 7, "[REGNOM]", 12, "left"),
            ("Дата выдачи", 48, 157.5, 80, 7, ISSUED, 12, "left"),
            ("Фамилия", 160, 27, 125, 8, "[FAM]", 15, "center"),
            ("Имя и отчество", 160, 36, 125, 8, "[IM] [OTCH]", 15, "center"),
            ("Специальность", 160, 60, 125, 16, "[SPGRUP.Spec]", 12, "center"),
            ("Дата решения ГЭК", 169, 101.5, 63, 7, when("SPGRUP.DatGAK"), 11, "left"),
            ("Протокол ГЭК", 253, 101.5, 32, 7, "[SPGRUP.PRGAK]", 11, "left"),
            ("Квалификация", 160, 121, 125, 12, "[SPGRUP.KVAL]", 13, "center"),
            ("Председатель ГЭК", 225, 150.5, 60, 7, "[SPGRUP.FIOGAK]", 11, "right"),
            ("Руководитель", 225, 170.5, 60, 7, SIGNER, 11, "right"),
            ("Должность для дубликата", 163, 177.5, 122, 5, "[ДУБЛИКАТ.ДОЛЖНОСТЬ]", 9, "left"),
        ],
    },
    "diploma-supplement": {
        "page": (297, 210),
        "labels": [
            (74, 13, "РОССИЙСКАЯ ФЕДЕРАЦИЯ", 3.5, "middle"),
            (74, 44, "ПРИЛОЖЕНИЕ К ДИПЛОМУ", 5, "middle"),
            (74, 49, "о среднем профессиональном образовании", 3, "middle"),
            (14, 68, "Регистрационный номер", 3, "start"),
            (14, 76, "Дата выдачи", 3, "start"),
            (14, 84, "1. СВЕДЕНИЯ О ЛИЧНОСТИ", 3.2, "start"),
            (14, 92, "Фамилия", 3, "start"),
            (14, 99, "Имя", 3, "start"),
            (14, 106, "Отчество", 3, "start"),
            (14, 113, "Дата рождения", 3, "start"),
            (14, 120, "Предыдущий документ об образовании", 3, "start"),
            (14, 140, "2. СВЕДЕНИЯ О КВАЛИФИКАЦИИ", 3.2, "start"),
            (14, 147, "Квалификация", 3, "start"),
            (14, 159, "Специальность", 3, "start"),
            (14, 172, "Нормативный срок освоения программы", 3, "start"),
            (14, 188, "составляет", 3, "start"),
            (222, 11, "3. СВЕДЕНИЯ О СОДЕРЖАНИИ И РЕЗУЛЬТАТАХ ОСВОЕНИЯ ПРОГРАММЫ", 3, "middle"),
            (159, 18, "Наименование дисциплин (модулей), практик", 2.6, "start"),
            (240, 18, "Часы", 2.6, "start"),
            (264, 18, "Оценка", 2.6, "start"),
        ],
        "frames": [
            ("Учреждение", 12, 16, 124, 22, "[INF.NAIM]", 9, "center"),
            ("Дубликат", 30, 50.5, 88, 5.5, "[DUBL]", 11, "center"),
            ("Номер бланка", 30, 56.5, 88, 6, "[PRIL]", 11, "center"),
            ("Регистрационный номер", 56, 63.5, 80, 6, "[REGNOM]", 11, "left"),
            ("Дата выдачи", 36, 71.5, 70, 6, ISSUED, 11, "left"),
            ("Фамилия", 43, 87.5, 93, 6, "[FAM]", 12, "left"),
            ("Имя", 43, 94.5, 93, 6, "[IM]", 12, "left"),
            ("Отчество", 43, 101.5, 93, 6, "[OTCH]", 12, "left"),
            ("Дата рождения", 43, 108.5, 50, 6, "[D_R]", 11, "left"),
            ("Предыдущий документ", 14, 121.5, 122, 12, EARLIER, 10, "left"),
            ("Квалификация", 40, 142.5, 96, 10, "[SPGRUP.KVAL]", 11, "left"),
            ("Специальность", 40, 154.5, 96, 12, "[SPGRUP.Spec]", 11, "left"),
            ("Подготовка и форма обучения", 14, 174, 122, 6, "[УРОВЕНЬ.ПОДГОТОВКИ] [ФОРМА.ОБУЧЕНИЯ]", 11, "left"),
            ("Нормативный срок", 40, 183.5, 96, 6, "[SPGRUP.NormTime]", 11, "left"),
        ],
        "table": {"margins": (21, 10, 10, 10), "page_columns": 2, "gap": 17, "columns": (78, 20, 32),
                  "size": 10},
        # Section 4 and the head's signature follow the grades.
        "after_table": [("4. ДОПОЛНИТЕЛЬНЫЕ СВЕДЕНИЯ", "heading"), ("[INF.Change]", "text"),
                        ("[SPGRUP.DOPOL]", "text"), ("[DOPOL]", "text"),
                        (SIGNATURE, "sign"), ("М.П.", "seal")],
        "following": {},
    },
    "transcript": {
        "page": (210, 297),
        "labels": [
            (105, 13, "РОССИЙСКАЯ ФЕДЕРАЦИЯ", 3.5, "middle"),
            (105, 45, "АКАДЕМИЧЕСКАЯ СПРАВКА", 6, "middle"),
            (20, 61, "Регистрационный номер", 3.2, "start"),
            (110, 61, "Дата выдачи", 3.2, "start"),
            (20, 70, "Фамилия, имя, отчество", 3.2, "start"),
            (20, 78, "Дата рождения", 3.2, "start"),
            (20, 86, "Предыдущий документ об образовании", 3.2, "start"),
            (20, 99, "Поступил(а) в", 3.2, "start"),
            (60, 99, "году", 3.2, "start"),
            (105, 113, "(наименование образовательной организации)", 2.4, "middle"),
            (20, 120, "Завершил(а) обучение в", 3.2, "start"),
            (80, 120, "году", 3.2, "start"),
            (105, 134, "(наименование образовательной организации)", 2.4, "middle"),
            (20, 141, "Отчислен(а) приказом", 3.2, "start"),
            (20, 149, "Форма обучения", 3.2, "start"),
            (20, 157, "Нормативный период обучения", 3.2, "start"),
            (20, 165, "Специальность", 3.2, "start"),
            (20, 177, "Квалификация", 3.2, "start"),
            (105, 185, "Сведения о содержании и результатах освоения образовательной программы", 3.2, "middle"),
            (22, 190, "Наименование дисциплин (модулей), практик", 2.6, "start"),
            (141, 190, "Часы", 2.6, "start"),
            (168, 190, "Оценка", 2.6, "start"),
        ],
        "frames": [
            ("Учреждение", 20, 16, 170, 21, "[INF.NAIM]", 9, "center"),
            ("Дубликат", 60, 47.5, 90, 6, "[DUBL]", 12, "center"),
            ("Регистрационный номер", 66, 56.5, 40, 6, "[REGNOM]", 11, "left"),
            ("Дата выдачи", 133, 56.5, 57, 6, ISSUED, 11, "left"),
            ("Фамилия", 68, 65.5, 122, 7, "[FAM] [IM] [OTCH]", 13, "left"),
            ("Дата рождения", 50, 73.5, 50, 6, "[D_R]", 11, "left"),
            ("Предыдущий документ", 88, 81.5, 102, 11, EARLIER, 10, "left"),
            ("Год поступления", 45, 94.5, 14, 6, "[PosYr]", 11, "left"),
            ("Учреждение поступления", 20, 101, 170, 9, "[ПОСТУПЛ.MEMO]", 9, "center"),
            ("Год окончания", 65, 115.5, 14, 6, "[ZavYr]", 11, "left"),
            ("Учреждение окончания", 20, 122, 170, 9, "[ОКОНЧ.MEMO]", 9, "center"),
            ("Приказ об отчислении", 62, 136.5, 128, 6, "[PROTCH]", 11, "left"),
            ("Форма обучения", 52, 144.5, 138, 6, "[ФОРМА.NAIM]", 11, "left"),
            ("Нормативный период", 78, 152.5, 112, 6, "[SPGRUP.NormTime]", 11, "left"),
            ("Специальность", 50, 160.5, 140, 11, "[SPGRUP.Spec]", 11, "left"),
            ("Квалификация", 50, 172.5, 140, 6, "[SPGRUP.KVAL]", 11, "left"),
        ],
        "table": {"margins": (14, 12, 20, 20), "start": 192, "columns": (114, 24, 32), "size": 9.5, "padding": 0.2},
        # The head, the secretary and the seal follow the grades.
        "after_table": [(SIGNATURE, "sign"), ("Секретарь\t[SPGRUP.FIOSEK]", "sign"), ("М.П.", "seal")],
        "following": {},
    },
    "retraining-title": {
        "page": (297, 210),
        "labels": [
            (74, 22, "РОССИЙСКАЯ ФЕДЕРАЦИЯ", 4, "middle"),
            (74, 62, "ДИПЛОМ", 7, "middle"),
            (74, 69, "о профессиональной переподготовке", 3.5, "middle"),
            (74, 100, "Документ о квалификации", 3, "middle"),
            (20, 150, "Регистрационный номер", 3.2, "start"),
            (20, 162, "Город", 3.2, "start"),
            (20, 174, "Дата выдачи", 3.2, "start"),
            (222, 22, "Настоящий диплом выдан", 3.5, "middle"),
            (222, 51, "в том, что он(а) прошел(а) профессиональную переподготовку", 3.2, "middle"),
            (163, 61, "с", 3.2, "start"),
            (224, 61, "по", 3.2, "start"),
            (163, 71, "в", 3.2, "start"),
            (222, 98, "по программе", 3.2, "middle"),
            (222, 124, "Диплом подтверждает присвоение квалификации", 3.2, "middle"),
            (163, 146, "Решение аттестационной комиссии", 3, "start"),
            (163, 153, "от", 3.2, "start"),
            (234, 153, "протокол", 3.2, "start"),
            (163, 163, "Председатель аттестационной комиссии", 3, "start"),
            (163, 173, "Руководитель", 3, "start"),
            (163, 183, "Секретарь", 3, "start"),
            (163, 195, "М.П.", 3, "start"),
        ],
        "frames": [
            ("Организация", 15, 28, 118, 26, "[INF.NAIM]", 10, "center"),
            ("Номер бланка", 30, 77, 88, 8, "[DIPL]", 12, "center"),
            ("Дубликат", 30, 86, 88, 6, "[DUBL]", 12, "center"),
            ("Регистрационный номер", 68, 145.5, 60, 7, "[regnomDoc]", 12, "left"),
            ("Город", 35, 157.5, 93, 7, "[INF.GORODMED]", 11, "left"),
            ("Дата выдачи", 48, 169.5, 80, 7, ISSUED, 12, "left"),
            ("Фамилия", 160, 26, 125, 8, "[FamD]", 15, "center"),
            ("Имя и отчество", 160, 35, 125, 8, "[ImD] [OtchD]", 15, "center"),
            ("Начало", 168, 56.5, 55, 7, when("SPGRUP.date_S"), 11, "left"),
            ("Окончание", 231, 56.5, 54, 7, when("SPGRUP.date_Po"), 11, "left"),
            ("Учреждение", 168, 66.5, 117, 24, "[INF.NAIMMED]", 10, "center"),
            ("Программа", 160, 101, 125, 16, "[SPGRUP.Spec]", 12, "center"),
            ("Квалификация", 160, 127, 125, 12, "[SPGRUP.KVAL]", 12, "center"),
            ("Дата решения", 169, 148.5, 63, 7, when("SPGRUP.DatGAK"), 11, "left"),
            ("Протокол", 253, 148.5, 32, 7, "[SPGRUP.PRGAK]", 11, "left"),
            ("Председатель комиссии", 225, 158.5, 60, 7, "[SPGRUP.FIOGAK]", 11, "right"),
            ("Руководитель", 225, 168.5, 60, 7, HEAD, 11, "right"),
            ("Секретарь", 225, 178.5, 60, 7, "[SPGRUP.FIOSEK]", 11, "right"),
        ],
    },
    "retraining-supplement": {
        "page": (210, 297),
        "labels": [
            (105, 15, "ПРИЛОЖЕНИЕ К ДИПЛОМУ", 5, "middle"),
            (105, 20.5, "о профессиональной переподготовке", 3.2, "middle"),
            (20, 35, "к диплому", 3.2, "start"),
            (100, 35, "регистрационный номер", 3.2, "start"),
            (20, 45, "выдан", 3.2, "start"),
            (20, 55, "в том, что он(а) с", 3.2, "start"),
            (111, 55, "по", 3.2, "start"),
            (20, 63, "прошел(а) профессиональную переподготовку в", 3.2, "start"),
            (20, 86, "по программе", 3.2, "start"),
            (20, 99, "в объеме", 3.2, "start"),
            (105, 105, "За время обучения сдал(а) зачеты и экзамены по следующим дисциплинам:", 3.2, "middle"),
            (22, 111, "Наименование дисциплин (модулей)", 2.6, "start"),
            (141, 111, "Часы", 2.6, "start"),
            (168, 111, "Оценка", 2.6, "start"),
            (20, 263, "Секретарь", 3.2, "start"),
            (20, 273, "Руководитель", 3.2, "start"),
            (20, 284, "Дата выдачи", 3.2, "start"),
            (150, 284, "М.П.", 3.2, "start"),
        ],
        "frames": [
            ("Дубликат", 60, 22.5, 90, 6, "[DUBL]", 11, "center"),
            ("Номер диплома", 41, 30.5, 57, 6, "[DIPL]", 11, "left"),
            ("Регистрационный номер", 150, 30.5, 40, 6, "[regnomDoc]", 11, "left"),
            ("Фамилия, имя, отчество", 32, 40, 158, 7, "[FamD] [ImD] [OtchD]", 13, "left"),
            ("Начало", 52, 50.5, 58, 6, when("SPGRUP.date_S"), 11, "left"),
            ("Окончание", 118, 50.5, 72, 6, when("SPGRUP.date_Po"), 11, "left"),
            ("Учреждение", 20, 65, 170, 15, "[INF.NAIMMED]", 9, "left"),
            ("Программа", 48, 81.5, 142, 11, "[SPGRUP.Spec]", 11, "left"),
            ("Объем", 40, 94.5, 80, 6, "[SPGRUP.NormTime]", 11, "left"),
            ("Секретарь", 60, 258.5, 70, 6, "[SPGRUP.FIOSEK]", 11, "left"),
            ("Руководитель", 60, 268.5, 70, 6, HEAD, 11, "left"),
            ("Дата выдачи", 45, 279.5, 80, 6, ISSUED, 11, "left"),
        ],
        "table": {"margins": (14, 45, 20, 20), "start": 113, "columns": (114, 24, 32), "size": 11},
        "following": {},
    },
    "completion-certificate": {
        "page": (210, 148),
        "labels": [
            (52, 13, "РОССИЙСКАЯ ФЕДЕРАЦИЯ", 3, "middle"),
            (52, 52, "УДОСТОВЕРЕНИЕ", 5.5, "middle"),
            (52, 57.5, "о повышении квалификации", 3, "middle"),
            (52, 76, "Документ о квалификации", 2.6, "middle"),
            (10, 104, "Регистрационный номер", 2.8, "start"),
            (10, 114, "Город", 2.8, "start"),
            (10, 124, "Дата выдачи", 2.8, "start"),
            (157, 13, "Настоящее удостоверение выдано", 3, "middle"),
            (157, 38, "в том, что он(а) прошел(а) обучение", 2.8, "middle"),
            (111, 47, "с", 2.8, "start"),
            (158, 47, "по", 2.8, "start"),
            (111, 55, "в", 2.8, "start"),
            (157, 74, "по дополнительной профессиональной программе", 2.8, "middle"),
            (111, 98, "в объеме", 2.8, "start"),
            (111, 118, "Руководитель", 2.8, "start"),
            (111, 127, "Секретарь", 2.8, "start"),
            (111, 137, "М.П.", 2.8, "start"),
        ],
        "frames": [
            ("Учреждение", 10, 16, 85, 24, "[INF.NAIM]", 8, "center"),
            ("Номер бланка", 20, 60, 65, 6, "[DIPL]", 11, "center"),
            ("Дубликат", 20, 66.5, 65, 6, "[DUBL]", 11, "center"),
            ("Регистрационный номер", 45, 99.5, 50, 6, "[regnomUd]", 11, "left"),
            ("Город", 20, 109.5, 75, 6, "[INF.GORODMED]", 11, "left"),
            ("Дата выдачи", 33, 119.5, 62, 6, ISSUED, 11, "left"),
            ("Фамилия", 108, 16, 97, 7, "[FamD]", 13, "center"),
            ("Имя и отчество", 108, 24, 97, 7, "[ImD] [OtchD]", 13, "center"),
            ("Начало", 115, 42.5, 42, 6, when("SPGRUP.date_S"), 9, "left"),
            ("Окончание", 163, 42.5, 44, 6, when("SPGRUP.date_Po"), 9, "left"),
            ("Организация обучения", 115, 51, 92, 18, "[INF.NAIMMED]", 8, "left"),
            ("Программа", 108, 76, 97, 15, "[SPGRUP.Spec]", 10, "center"),
            ("Объем", 126, 93.5, 79, 6, "[SPGRUP.NormTime]", 10, "left"),
            ("Руководитель", 150, 113.5, 55, 6, HEAD, 10, "right"),
            ("Секретарь", 150, 122.5, 55, 6, "[SPGRUP.FIOSEK]", 10, "right"),
        ],
    },
}

# The honours blank prints "с отличием" itself: the same layout under it.
LAYOUTS["diploma-title-honours"] = dict(
    LAYOUTS["diploma-title"], labels=LAYOUTS["diploma-title"]["labels"] + [(74, 89, "С ОТЛИЧИЕМ", 4.5, "middle")])

# Template base names by layout: the built-in default names, the base names
# proposed when a printing house names no template for a slot, and those of
# the default printing houses.
HOUSES_ALL = ["", "Гознак-Пермь", "Концерн Знак", "Знак", "СпецБланк-Москва", "КТ", "Кострома"]
HOUSES_RETRAINING = ["", "Знак", "КТ"]
TEMPLATES = (
    [("Титул диплома", "diploma-title"),
     ("Титул диплома с отличием", "diploma-title-honours"),
     ("Приложение к диплому", "diploma-supplement"),
     ("Академическая справка", "transcript")]
    + [(("Кальвета " + h).strip(), "certificate") for h in HOUSES_ALL]
    + [(("Титул диплома ПК " + h).strip(), "retraining-title") for h in HOUSES_RETRAINING]
    + [(("Приложение к диплому ПК " + h).strip(), "retraining-supplement") for h in HOUSES_RETRAINING]
    + [(("Удостоверение " + h).strip(), "completion-certificate") for h in HOUSES_RETRAINING]
)
LASER = " Лазерный"

FONT = "Times New Roman"
OUTLINE = "#9fb7d6"
WORDING = "#3a5a8a"


def svg_text(x, y, text, size, anchor, fill=WORDING):
    return (f'<text x="{x}" y="{y}" font-size="{size}" fill="{fill}" text-anchor="{anchor}" '
            f'font-family="{FONT}, DejaVu Serif, serif">{escape(text)}</text>')


def background_svg(page, labels, frames, caption):
    w, h = page
    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}mm" height="{h}mm" viewBox="0 0 {w} {h}">',
        f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" fill="none" stroke="#7a9cc6" stroke-width="0.5"/>',
    ]
    if w > h:
        parts.append(f'<line x1="{w / 2}" y1="3" x2="{w / 2}" y2="{h - 3}" stroke="#7a9cc6" stroke-width="0.3" stroke-dasharray="3 2"/>')
    cx, cy = w / 2, h / 2
    parts.append(f'<text x="{cx}" y="{cy}" font-size="{min(w, h) / 9:.1f}" fill="#e8eef7" text-anchor="middle" '
                 f'font-family="DejaVu Sans, Arial" transform="rotate(-20 {cx} {cy})">ОБРАЗЕЦ</text>')
    for x, y, text, size, anchor in labels:
        parts.append(svg_text(x, y, text, size, anchor))
    for name, x, y, fw, fh, text, size, align in frames:
        parts.append(f'<line x1="{x}" y1="{y + fh - 0.8}" x2="{x + fw}" y2="{y + fh - 0.8}" stroke="{OUTLINE}" '
                     f'stroke-width="0.25" stroke-dasharray="1.5 1"/>')
    parts.append(svg_text(cx, h - 4, caption, 3.2, "middle", "#7a9cc6"))
    parts.append('</svg>')
    return "\n".join(parts).encode("utf-8")


def paragraph_style(name, size, align, extra=""):
    align = {"left": "start", "right": "end"}.get(align, align)
    return (f'<style:style style:name="{name}" style:family="paragraph" style:parent-style-name="Standard">'
            f'<style:paragraph-properties fo:text-align="{align}" fo:margin-top="0mm" fo:margin-bottom="0mm"{extra}/>'
            f'<style:text-properties fo:font-size="{size}pt" style:font-name="{FONT}"/></style:style>')


def picture_frame(name, page, picture, anchor):
    w, h = page
    return (f'<draw:frame draw:style-name="Background" draw:name="{name}" {anchor} '
            f'svg:x="0mm" svg:y="0mm" svg:width="{w}mm" svg:height="{h}mm" draw:z-index="0">'
            f'<draw:image><office:binary-data>{picture}</office:binary-data></draw:image>'
            f'<svg:title>Подложка</svg:title><svg:desc>Образец: контур бланка, не печатается</svg:desc></draw:frame>')


def field_frames(frames, anchor, first_z):
    return [f'<draw:frame draw:style-name="Field" draw:name="{escape(name)}" {anchor} '
            f'svg:x="{x}mm" svg:y="{y}mm" svg:width="{fw}mm" svg:height="{fh}mm" '
            f'draw:z-index="{z}"><draw:text-box><text:p text:style-name="P{align}{size}">{escape(text)}</text:p>'
            f'</draw:text-box></draw:frame>'
            for z, (name, x, y, fw, fh, text, size, align) in enumerate(frames, start=first_z)]


def fodt(layout, title):
    w, h = layout["page"]
    table = layout.get("table")
    margins = table["margins"] if table else (10, 10, 10, 10)
    top, bottom, left, right = margins
    columns = table.get("page_columns", 1) if table else 1
    # The back of a two-sided blank: every page but the first has a header
    # holding the back's outline; the first page has an empty header of its
    # own. (A page style for the first page alone does not survive the Word
    # format while the template has one page.) The headers are 1 mm high,
    # taken from the top margin.
    following = layout.get("following")
    sizes = sorted({f[6] for f in layout["frames"]} | ({table["size"]} if table else set()))
    styles = [paragraph_style(f"P{align}{size}", size, align)
              for align in ("left", "center", "right") for size in sizes]
    # The paragraph holding the frames: one thin line, then as much room as
    # the first page keeps above the grades table. With two columns, thin
    # empty lines fill the left half and the table begins in the right one:
    # a column break does not survive the Word format, and one line as high
    # as the column keeps the office from carrying the table on.
    room = table["start"] - top - 1 if table and columns == 1 else 0
    fillers = h - top - bottom - 1 if table and columns == 2 else 0
    styles.append(
        '<style:style style:name="Anchor" style:family="paragraph" style:parent-style-name="Standard">'
        f'<style:paragraph-properties fo:margin-top="0mm" fo:margin-bottom="{room}mm" fo:line-height="1mm"/>'
        '<style:text-properties fo:font-size="2pt"/></style:style>')
    # Paragraphs after the grades: automatic styles of their own, each
    # derived from the common one (an automatic style is nobody's parent).
    after_size = table["size"] if table else 10
    styles.append(
        '<style:style style:name="After" style:family="paragraph" style:parent-style-name="Standard">'
        '<style:paragraph-properties fo:margin-top="1mm" fo:margin-bottom="0mm"/>'
        f'<style:text-properties fo:font-size="{after_size}pt"/></style:style>')
    styles.append(
        '<style:style style:name="AfterHeading" style:family="paragraph" style:parent-style-name="Standard">'
        '<style:paragraph-properties fo:margin-top="3mm" fo:margin-bottom="0mm" fo:keep-with-next="always"/>'
        f'<style:text-properties fo:font-size="{after_size}pt" fo:font-weight="bold"/></style:style>')
    # A signature: the position, then the name at the right edge of the
    # table's width; the block keeps together.
    width = sum(table["columns"]) if table else w - left - right
    styles.append(
        '<style:style style:name="AfterSign" style:family="paragraph" style:parent-style-name="Standard">'
        '<style:paragraph-properties fo:margin-top="5mm" fo:margin-bottom="0mm" fo:keep-with-next="always"><style:tab-stops>'
        f'<style:tab-stop style:position="{width - 1}mm" style:type="right"/></style:tab-stops>'
        f'</style:paragraph-properties><style:text-properties fo:font-size="{after_size}pt"/></style:style>')
    styles.append(
        '<style:style style:name="End" style:family="paragraph" style:parent-style-name="Standard">'
        '<style:paragraph-properties fo:margin-top="0mm" fo:margin-bottom="0mm" fo:line-height="1mm"/>'
        '<style:text-properties fo:font-size="2pt"/></style:style>')

    on_page_one = 'text:anchor-type="page" text:anchor-page-number="1"'
    picture = base64.b64encode(background_svg(
        layout["page"], layout["labels"], layout["frames"],
        f"Подложка: контур бланка «{title}» — образец, не печатается")).decode("ascii")
    frames = [picture_frame("Подложка", layout["page"], picture, on_page_one)]
    frames += field_frames(layout["frames"], on_page_one, 1)
    body = [f'<text:p text:style-name="Anchor">{"".join(frames)}</text:p>'] + ['<text:p text:style-name="End"/>'] * fillers
    table_styles = ""
    if table:
        cols, size, pad = table["columns"], table["size"], table.get("padding", 0.3)
        body.append('<table:table table:name="Оценки" table:style-name="Grades">')
        for i in range(len(cols)):
            body.append(f'<table:table-column table:style-name="GradesCol{i}"/>')
        body.append('<table:table-row>')
        for i, text in enumerate(("[ДИСЦИПЛИНА]", "[ЧАСЫ]", "[ОЦЕНКА]")):
            body.append(f'<table:table-cell table:style-name="GradesCell" office:value-type="string">'
                        f'<text:p text:style-name="{"Pleft" if i == 0 else "Pcenter"}{size}">{text}</text:p>'
                        f'</table:table-cell>')
        body.append('</table:table-row></table:table>')
        styles_of = {"heading": "AfterHeading", "text": "After", "sign": "AfterSign", "seal": "After"}
        for text, kind in layout.get("after_table", []):
            content = "<text:tab/>".join(escape(piece) for piece in text.split("\t"))
            body.append(f'<text:p text:style-name="{styles_of[kind]}">{content}</text:p>')
        table_styles = (
            f'<style:style style:name="Grades" style:family="table"><style:table-properties '
            f'style:width="{sum(cols)}mm" table:align="left"/></style:style>'
            + "".join(f'<style:style style:name="GradesCol{i}" style:family="table-column">'
                      f'<style:table-column-properties style:column-width="{cw}mm"/></style:style>'
                      for i, cw in enumerate(cols))
            + '<style:style style:name="GradesCell" style:family="table-cell"><style:table-cell-properties '
              f'fo:padding-top="{pad}mm" fo:padding-bottom="{pad}mm" fo:padding-left="0.5mm" fo:padding-right="0.5mm" '
              'fo:border="none"/></style:style>')
    body.append('<text:p text:style-name="End"/>')
    page_columns = ""
    if columns > 1:
        page_columns = (f'<style:columns fo:column-count="{columns}" fo:column-gap="{table["gap"]}mm"/>')
    orientation = "landscape" if w > h else "portrait"
    master_pages = '<style:master-page style:name="Standard" style:page-layout-name="Blank"/>'
    header_style = ""
    back_styles = ""
    if following is not None:
        top -= 1
        in_header = 'text:anchor-type="paragraph"'
        back = base64.b64encode(background_svg(
            layout["page"], [], [],
            f"Подложка: контур бланка «{title}», оборот — образец, не печатается")).decode("ascii")
        header = picture_frame("Подложка оборота", layout["page"], back, in_header)
        header_style = ('<style:header-style><style:header-footer-properties fo:min-height="1mm" '
                        'fo:margin-bottom="0mm" fo:margin-left="0mm" fo:margin-right="0mm"/></style:header-style>')
        back_styles = (
            '<style:style style:name="HeaderAnchor" style:family="paragraph" style:parent-style-name="Standard">'
            '<style:paragraph-properties fo:margin-top="0mm" fo:margin-bottom="0mm" fo:line-height="1mm"/>'
            '<style:text-properties fo:font-size="2pt"/></style:style>')
        master_pages = (
            '<style:master-page style:name="Standard" style:page-layout-name="Blank"><style:header>'
            f'<text:p text:style-name="HeaderAnchor">{header}</text:p></style:header>'
            '<style:header-first><text:p text:style-name="HeaderAnchor"/></style:header-first></style:master-page>')
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:meta><dc:title>{escape(title)}</dc:title></office:meta>
<office:font-face-decls><style:font-face style:name="{FONT}" svg:font-family="&apos;{FONT}&apos;" style:font-family-generic="roman"/></office:font-face-decls>
<office:styles>
<style:style style:name="Standard" style:family="paragraph"><style:text-properties fo:font-size="11pt" style:font-name="{FONT}" fo:language="ru" fo:country="RU"/></style:style>
</office:styles>
<office:automatic-styles>
<style:page-layout style:name="Blank"><style:page-layout-properties fo:page-width="{w}mm" fo:page-height="{h}mm" style:print-orientation="{orientation}" fo:margin-top="{top}mm" fo:margin-bottom="{bottom}mm" fo:margin-left="{left}mm" fo:margin-right="{right}mm">{page_columns}</style:page-layout-properties>{header_style}</style:page-layout>
{back_styles}
<style:style style:name="Background" style:family="graphic"><style:graphic-properties style:wrap="run-through" style:run-through="background" style:vertical-pos="from-top" style:vertical-rel="page" style:horizontal-pos="from-left" style:horizontal-rel="page" style:protect="position size"/></style:style>
<style:style style:name="Field" style:family="graphic"><style:graphic-properties style:wrap="run-through" style:run-through="foreground" style:vertical-pos="from-top" style:vertical-rel="page" style:horizontal-pos="from-left" style:horizontal-rel="page" fo:border="none" draw:stroke="none" fo:padding="0mm" draw:fill="none" draw:textarea-vertical-align="top"/></style:style>
{"".join(styles)}
{table_styles}
</office:automatic-styles>
<office:master-styles>{master_pages}</office:master-styles>
<office:body><office:text>
{"".join(body)}
</office:text></office:body></office:document>
'''


def main():
    # Every frame of a template has a name of its own: the adjustment window
    # finds a moved frame again in the saved file by its name.
    for name, layout in LAYOUTS.items():
        names = [f[0] for f in layout["frames"]]
        duplicates = sorted({n for n in names if names.count(n) > 1})
        assert not duplicates, f"{name}: frames named alike: {duplicates}"
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        if old.endswith(".fodt"):
            os.remove(os.path.join(OUT, old))
    for base, layout in TEMPLATES:
        for name in (base, base + LASER):
            with open(os.path.join(OUT, name + ".fodt"), "w", encoding="utf-8") as f:
                f.write(fodt(LAYOUTS[layout], name))
    print(f"{2 * len(TEMPLATES)} templates written to {OUT}")


if __name__ == "__main__":
    main()
