#pragma once

// The constant tables the demo database is drawn from: names, streets and
// doctors in the MAC C letters of the patient-administration program,
// settlement codes, field value mixes, diagnosis categories with their weights
// by age, and the age mix of the insured persons.

#include <span>
#include <string>
#include <string_view>

namespace tarel::demodb {

// A field value and its weight; a null text stands for NULL.
struct WeightedText {
    const char *text;
    int weight;
};

// A diagnosis category with its weights for infants (under 1 year), children
// (1 to 17 years) and adults. subCategory fixes S_DIJA2; null draws it from
// subCategoryMix().
struct DiagnosisEntry {
    const char *category;
    const char *subCategory;
    int infant;
    int child;
    int adult;
};

// Persons whose age at the last day of the period, in completed months, lies
// in [fromMonths, toMonths): weight of such persons among all, and how often
// such a person visits (relative, per year alive in the period).
struct AgeGroup {
    int fromMonths;
    int toMonths;
    int persons;
    int visitRate;
};

struct DoctorEntry {
    const char *code;
    const char *surname;
    const char *name;
    bool active;
};

struct InstitutionEntry {
    const char *naziv;
    const char *regBroj;
    const char *mbStatistika;
    const char *adresa;
    const char *mesto;
    const char *danBroj;
    const char *deponent;
    const char *ziro;
    const char *telefon;
    int koefOddalPr;
    const char *opsS;
};

std::span<const char *const> surnames();      // male forms
std::span<const char *const> maleNames();
std::span<const char *const> femaleNames();
std::span<const char *const> streets();
std::span<const int> ruralSettlementCodes();  // none of them urban

std::span<const WeightedText> osnovMix();
std::span<const WeightedText> clenMixAdults();
std::span<const WeightedText> clenMixMinors();
std::span<const WeightedText> visitKindMix(); // VidNaUsluga
std::span<const WeightedText> subCategoryMix();
std::span<const WeightedText> serviceMix();   // S_USLUGA

std::span<const DiagnosisEntry> diagnoses();
std::span<const AgeGroup> ageGroups();

// The doctors in the order they are listed; a database holds the first 10 to
// 15 of them, among them 2 or 3 inactive ones.
std::span<const DoctorEntry> doctorList();
const InstitutionEntry &institution();

// The female form of a surname: "Petrovski" - "Petrovska", "[opov" - "[opova",
// "Bla`e~ki" - "Bla`e~ka", "^ulev" - "^uleva".
std::string femaleSurname(std::string_view surname);

} // namespace tarel::demodb
