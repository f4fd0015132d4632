#pragma once
// The medical specialties a newly created SPMED table receives.
#include <QString>
#include <span>

namespace jet {
class Database;
}

namespace core {

// One default specialty: its name and its education level (SPMED.LEVEL2:
// 1 higher, 2 secondary).
struct MedicalSpecialty {
    const char* name;
    int level;

    QString specialtyName() const { return QString::fromUtf8(name); }
};

// The 140 default rows in the order they receive their keys (1 to 140),
// repetitions included.
std::span<const MedicalSpecialty> DefaultMedicalSpecialties();

// Adds the default rows to SPMED in one transaction. Failures are the
// caller's to ignore (jet::Error).
void FillDefaultMedicalSpecialties(jet::Database& db);

} // namespace core
