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

# Layouts: page (width, height) in mm; frames (name, x, y, w, h, text,
# point size, alignment); optional grades table area (x, y, w, h) with its
# column widths in mm.
LAYOUTS = {
    "certificate": {
        "page": (297, 210),
        "frames": [
            ("Учреждение", 15, 28, 125, 30, "[INF.NAIM]", 11, "center"),
            ("Протокол", 15, 95, 125, 16, "решением экзаменационной комиссии от [SPGRUP.DatGAKMed] № [SPGRUP.PRGAKMed]", 10, "center"),
            ("Регистрационный номер", 60, 150, 70, 8, "[REGNOMMED]", 12, "left"),
            ("Город", 20, 163, 110, 8, "[INF.GORODMED]", 11, "left"),
            ("Дата выдачи", 20, 175, 110, 8, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 12, "left"),
            ("Номер бланка", 190, 20, 90, 8, "[NOMMED]", 12, "center"),
            ("Фамилия", 165, 58, 120, 9, "[FAM]", 16, "center"),
            ("Имя и отчество", 165, 70, 120, 9, "[IM] [OTCH]", 16, "center"),
            ("Специальность", 160, 110, 130, 18, "[SPMED.NAIM]", 14, "center"),
            ("Руководитель", 200, 175, 85, 8, "[INF.FIORUK]", 11, "right"),
        ],
    },
    "diploma-title": {
        "page": (297, 210),
        "frames": [
            ("Учреждение", 15, 30, 125, 30, "[INF.NAIM]", 11, "center"),
            ("Номер бланка", 30, 120, 100, 8, "[DIPL]", 12, "center"),
            ("Регистрационный номер", 60, 150, 70, 8, "[REGNOM]", 12, "left"),
            ("Дата выдачи", 20, 170, 110, 8, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 12, "left"),
            ("Фамилия", 165, 55, 120, 9, "[FAM]", 16, "center"),
            ("Имя и отчество", 165, 67, 120, 9, "[IM] [OTCH]", 16, "center"),
            ("Квалификация", 160, 100, 130, 16, "[SPGRUP.KVAL]", 13, "center"),
            ("Специальность", 160, 130, 130, 16, "[SPGRUP.Spec]", 13, "center"),
            ("Решение ГАК", 160, 160, 130, 8, "[SPGRUP.DatGAK] [SPGRUP.PRGAK]", 11, "center"),
        ],
    },
    "diploma-supplement": {
        "page": (297, 210),
        "frames": [
            ("Фамилия", 15, 25, 125, 8, "[FAM]", 13, "center"),
            ("Имя и отчество", 15, 35, 125, 8, "[IM] [OTCH]", 13, "center"),
            ("Дата рождения", 60, 47, 80, 7, "[D_R]", 11, "left"),
            ("Учреждение", 15, 70, 125, 24, "[INF.NAIM]", 10, "center"),
            ("Специальность", 15, 110, 125, 14, "[SPGRUP.Spec]", 11, "center"),
            ("Квалификация", 15, 130, 125, 14, "[SPGRUP.KVAL]", 11, "center"),
            ("Номер бланка", 15, 160, 125, 7, "[PRIL]", 11, "center"),
            ("Регистрационный номер", 60, 172, 80, 7, "[REGNOM]", 11, "left"),
            ("Дата выдачи", 15, 182, 125, 7, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 11, "center"),
        ],
        "table": (155, 30, 132, 165, (92, 16, 24)),
    },
    "transcript": {
        "page": (210, 297),
        "frames": [
            ("Учреждение", 20, 20, 170, 20, "[INF.NAIM]", 11, "center"),
            ("Фамилия", 20, 50, 170, 8, "[FAM] [IM] [OTCH]", 13, "center"),
            ("Дата рождения", 70, 62, 60, 7, "[D_R]", 11, "left"),
            ("Специальность", 20, 75, 170, 14, "[SPGRUP.Spec]", 11, "center"),
            ("Регистрационный номер", 140, 95, 50, 7, "[REGNOM]", 11, "left"),
            ("Дата выдачи", 20, 270, 100, 7, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 11, "left"),
        ],
        "table": (20, 110, 170, 150, (120, 22, 28)),
    },
    "retraining-title": {
        "page": (297, 210),
        "frames": [
            ("Номер бланка", 30, 110, 100, 8, "[DIPL]", 12, "center"),
            ("Регистрационный номер", 60, 150, 70, 8, "[regnomDoc]", 12, "left"),
            ("Город", 20, 162, 110, 8, "[INF.GORODMED]", 11, "left"),
            ("Дата выдачи", 20, 174, 110, 8, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 12, "left"),
            ("Фамилия", 165, 40, 120, 9, "[FAM]", 15, "center"),
            ("Имя и отчество", 165, 51, 120, 9, "[IM] [OTCH]", 15, "center"),
            ("Период", 165, 70, 120, 8, "с [SPGRUP.date_S] по [SPGRUP.date_Po]", 12, "center"),
            ("Учреждение", 160, 85, 130, 24, "[INF.NAIM]", 11, "center"),
            ("Программа", 160, 120, 130, 16, "[SPGRUP.Spec]", 12, "center"),
            ("Квалификация", 160, 150, 130, 14, "[SPGRUP.KVAL]", 12, "center"),
        ],
    },
    "retraining-supplement": {
        "page": (210, 297),
        "frames": [
            ("Фамилия", 20, 25, 170, 8, "[FAM] [IM] [OTCH]", 13, "center"),
            ("Номер диплома", 20, 37, 170, 7, "к диплому [DIPL], регистрационный номер [regnomDoc]", 11, "center"),
            ("Период", 20, 48, 170, 7, "с [SPGRUP.date_S] по [SPGRUP.date_Po]", 11, "center"),
            ("Программа", 20, 58, 170, 14, "[SPGRUP.Spec]", 11, "center"),
            ("Дата выдачи", 20, 270, 100, 7, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 11, "left"),
        ],
        "table": (20, 85, 170, 175, (120, 22, 28)),
    },
    "completion-certificate": {
        "page": (210, 148),
        "frames": [
            ("Учреждение", 10, 20, 90, 24, "[INF.NAIM]", 9, "center"),
            ("Регистрационный номер", 40, 100, 55, 7, "[regnomUd]", 11, "left"),
            ("Дата выдачи", 10, 115, 90, 7, "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.", 11, "left"),
            ("Фамилия", 110, 25, 90, 8, "[FAM]", 13, "center"),
            ("Имя и отчество", 110, 35, 90, 8, "[IM] [OTCH]", 13, "center"),
            ("Период", 110, 50, 90, 7, "с [SPGRUP.date_S] по [SPGRUP.date_Po]", 10, "center"),
            ("Программа", 110, 65, 90, 20, "[SPGRUP.Spec]", 10, "center"),
            ("Объем", 110, 92, 90, 7, "[SPGRUP.NormTime]", 10, "center"),
        ],
    },
}

# Template base names by layout: the built-in default names and those of the
# default printing houses.
HOUSES_ALL = ["", "Гознак-Пермь", "Концерн Знак", "Знак", "СпецБланк-Москва", "КТ", "Кострома"]
HOUSES_RETRAINING = ["Знак", "КТ"]
TEMPLATES = (
    [("Титул диплома", "diploma-title"),
     ("Приложение к диплому", "diploma-supplement"),
     ("Академическая справка", "transcript")]
    + [(("Кальвета " + h).strip(), "certificate") for h in HOUSES_ALL]
    + [("Титул диплома ПК " + h, "retraining-title") for h in HOUSES_RETRAINING]
    + [("Приложение к диплому ПК " + h, "retraining-supplement") for h in HOUSES_RETRAINING]
    + [("Удостоверение " + h, "completion-certificate") for h in HOUSES_RETRAINING]
)
LASER = " Лазерный"


def background_svg(layout, title):
    w, h = layout["page"]
    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}mm" height="{h}mm" viewBox="0 0 {w} {h}">',
        f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" fill="none" stroke="#7a9cc6" stroke-width="0.5"/>',
    ]
    if w > h:
        parts.append(f'<line x1="{w / 2}" y1="3" x2="{w / 2}" y2="{h - 3}" stroke="#7a9cc6" stroke-width="0.3" stroke-dasharray="3 2"/>')
    for name, x, y, fw, fh, text, size, align in layout["frames"]:
        parts.append(f'<rect x="{x}" y="{y}" width="{fw}" height="{fh}" fill="none" stroke="#9fb7d6" '
                     f'stroke-width="0.3" stroke-dasharray="1.5 1"/>')
        parts.append(f'<text x="{x + 0.5}" y="{y - 0.8}" font-size="2.6" fill="#7a9cc6" '
                     f'font-family="DejaVu Sans, Arial">{escape(name)}</text>')
    if "table" in layout:
        x, y, tw, th, _ = layout["table"]
        parts.append(f'<rect x="{x}" y="{y}" width="{tw}" height="{th}" fill="none" stroke="#9fb7d6" '
                     f'stroke-width="0.3" stroke-dasharray="1.5 1"/>')
        parts.append(f'<text x="{x + 0.5}" y="{y - 0.8}" font-size="2.6" fill="#7a9cc6" '
                     f'font-family="DejaVu Sans, Arial">Оценки</text>')
    cx, cy = w / 2, h / 2
    parts.append(f'<text x="{cx}" y="{cy}" font-size="{min(w, h) / 9:.1f}" fill="#dde6f2" text-anchor="middle" '
                 f'font-family="DejaVu Sans, Arial" transform="rotate(-20 {cx} {cy})">ОБРАЗЕЦ</text>')
    parts.append(f'<text x="{cx}" y="{h - 4}" font-size="3.2" fill="#7a9cc6" text-anchor="middle" '
                 f'font-family="DejaVu Sans, Arial">Подложка: контур бланка «{escape(title)}» — образец, '
                 f'не печатается</text>')
    parts.append('</svg>')
    return "\n".join(parts).encode("utf-8")


def fodt(layout, title):
    w, h = layout["page"]
    table = layout.get("table")
    # The grades table flows in the body: the page margins put it in its area.
    if table:
        tx, ty, tw, th, _ = table
        margins = (ty, h - ty - th, tx, w - tx - tw)
    else:
        margins = (10, 10, 10, 10)
    styles = []
    for align in ("left", "center", "right"):
        for size in sorted({f[6] for f in layout["frames"]}):
            styles.append(
                f'<style:style style:name="P{align}{size}" style:family="paragraph" style:parent-style-name="Standard">'
                f'<style:paragraph-properties fo:text-align="{"start" if align == "left" else "end" if align == "right" else "center"}"'
                f' fo:margin-top="0mm" fo:margin-bottom="0mm"/>'
                f'<style:text-properties fo:font-size="{size}pt" style:font-name="Times New Roman"/></style:style>')
    frames = []
    picture = base64.b64encode(background_svg(layout, title)).decode("ascii")
    frames.append(
        f'<draw:frame draw:style-name="Background" draw:name="Подложка" text:anchor-type="page" '
        f'text:anchor-page-number="1" svg:x="0mm" svg:y="0mm" svg:width="{w}mm" svg:height="{h}mm" draw:z-index="0">'
        f'<draw:image><office:binary-data>{picture}</office:binary-data></draw:image>'
        f'<svg:title>Подложка</svg:title><svg:desc>Образец: контур бланка, не печатается</svg:desc></draw:frame>')
    for z, (name, x, y, fw, fh, text, size, align) in enumerate(layout["frames"], start=1):
        frames.append(
            f'<draw:frame draw:style-name="Field" draw:name="{escape(name)}" text:anchor-type="page" '
            f'text:anchor-page-number="1" svg:x="{x}mm" svg:y="{y}mm" svg:width="{fw}mm" svg:height="{fh}mm" '
            f'draw:z-index="{z}"><draw:text-box><text:p text:style-name="P{align}{size}">{escape(text)}</text:p>'
            f'</draw:text-box></draw:frame>')
    body = [f'<text:p text:style-name="Pleft{min(f[6] for f in layout["frames"])}">{"".join(frames)}</text:p>']
    if table:
        cols = table[4]
        body.append('<table:table table:name="Оценки" table:style-name="Grades">')
        for i, cw in enumerate(cols):
            body.append(f'<table:table-column table:style-name="GradesCol{i}"/>')
        body.append('<table:table-row>')
        for i, text in enumerate(("[ДИСЦИПЛИНА]", "[ЧАСЫ]", "[ОЦЕНКА]")):
            body.append(f'<table:table-cell table:style-name="GradesCell" office:value-type="string">'
                        f'<text:p text:style-name="{"Pleft" if i == 0 else "Pcenter"}11">{text}</text:p></table:table-cell>')
        body.append('</table:table-row></table:table>')
    body.append('<text:p/>')
    table_styles = ""
    if table:
        cols = table[4]
        table_styles = (
            f'<style:style style:name="Grades" style:family="table"><style:table-properties '
            f'style:width="{sum(cols)}mm" table:align="left"/></style:style>'
            + "".join(f'<style:style style:name="GradesCol{i}" style:family="table-column">'
                      f'<style:table-column-properties style:column-width="{cw}mm"/></style:style>'
                      for i, cw in enumerate(cols))
            + '<style:style style:name="GradesCell" style:family="table-cell"><style:table-cell-properties '
              'fo:padding="0.5mm" fo:border="none"/></style:style>')
        # Body paragraphs need the 11 pt styles even when no frame uses them.
        if 11 not in {f[6] for f in layout["frames"]}:
            for align in ("left", "center"):
                styles.append(
                    f'<style:style style:name="P{align}11" style:family="paragraph" style:parent-style-name="Standard">'
                    f'<style:paragraph-properties fo:text-align="{"start" if align == "left" else "center"}"/>'
                    f'<style:text-properties fo:font-size="11pt" style:font-name="Times New Roman"/></style:style>')
    top, bottom, left, right = margins
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:meta><dc:title>{escape(title)}</dc:title></office:meta>
<office:font-face-decls><style:font-face style:name="Times New Roman" svg:font-family="&apos;Times New Roman&apos;" style:font-family-generic="roman"/></office:font-face-decls>
<office:styles>
<style:style style:name="Standard" style:family="paragraph"><style:text-properties fo:font-size="11pt" style:font-name="Times New Roman" fo:language="ru" fo:country="RU"/></style:style>
</office:styles>
<office:automatic-styles>
<style:page-layout style:name="Blank"><style:page-layout-properties fo:page-width="{w}mm" fo:page-height="{h}mm" style:print-orientation="{"landscape" if w > h else "portrait"}" fo:margin-top="{top}mm" fo:margin-bottom="{bottom}mm" fo:margin-left="{left}mm" fo:margin-right="{right}mm"/></style:page-layout>
<style:style style:name="Background" style:family="graphic"><style:graphic-properties style:wrap="run-through" style:run-through="background" style:vertical-pos="from-top" style:vertical-rel="page" style:horizontal-pos="from-left" style:horizontal-rel="page" style:protect="position size"/></style:style>
<style:style style:name="Field" style:family="graphic"><style:graphic-properties style:wrap="run-through" style:run-through="foreground" style:vertical-pos="from-top" style:vertical-rel="page" style:horizontal-pos="from-left" style:horizontal-rel="page" fo:border="none" draw:stroke="none" fo:padding="0mm" draw:fill="none" draw:textarea-vertical-align="top"/></style:style>
{"".join(styles)}
{table_styles}
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="Blank"/></office:master-styles>
<office:body><office:text>
{"".join(body)}
</office:text></office:body></office:document>
'''


def main():
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
