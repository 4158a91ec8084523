#include "demodata.h"

namespace tarel::demodb {

namespace {

// Texts in MAC C letters: { ш, } ќ, | ѓ, ` ж, ~ ч, [ Ш, ] Ќ, \ Ѓ, @ Ж, ^ Ч,
// q љ, w њ, x џ, y ѕ.
const char *const Surnames[] = {
    "Petrovski", "Stojanovski", "Nikolovski", "\\or|ievski", "Trajkovski", "Jovanovski",
    "Dimitrovski", "Stefanovski", "Ristovski", "Angelovski", "Kostovski", "Ilievski",
    "Mitrevski", "Todorovski", "Pavlovski", "Spasovski", "Naumovski", "Popovski",
    "Markovski", "Atanasovski", "Velkovski", "Bogoevski", "Ko~ovski", "Ku{evski",
    "[opov", "Ta{kovski", "Bo{kovski", "@ivkovski", "^ulev", "Xambazov",
    "Zdravkovski", "Jankulovski", "Lazarevski", "Hristov", "Mladenovski", "Bla`e~ki",
    "Tren~evski", "Pe}ovski", "Siljanovski", "Taleski", "Kuzmanovski", "Cvetkovski",
    "Grozdanovski", "Bo`inovski", "Veqanovski", "Nedelkovski", "Ognenovski", "Ste{kov",
    "Manev", "Janev", "Gligorov", "Arsov", "Kr~oski", "Xorlev",
};

const char *const MaleNames[] = {
    "Aleksandar", "Nikola", "Dimitar", "Goran", "Zoran", "Igor", "Marko", "Stefan",
    "Petar", "Bojan", "Dragan", "Vladimir", "Kire", "Trajko", "Blagoj", "Ilija",
    "\\or|i", "@arko", "Bla`e", "Jovan", "Darko", "Sa{o", "Ko~o", "Mom~ilo",
    "Qup~o", "Toni", "Filip", "Kiril", "Metodija", "Boris", "Mihail", "Kostadin",
};

const char *const FemaleNames[] = {
    "Marija", "Elena", "Ana", "Biqana", "Sne`ana", "Qubica", "Vesna", "Jasmina",
    "Katerina", "Sowa", "Tawa", "Daniela", "Ivana", "Magdalena", "Natalija", "Slavica",
    "Verica", "Stojanka", "Kristina", "Violeta", "Emilija", "Frosina", "Ru`ica", "Qiqana",
    "Cvetanka", "Milka", "Vawa", "Zorica", "Gordana", "Lidija", "Simona", "Teodora",
};

const char *const Streets[] = {
    "Ilindenska", "Partizanska", "Goce Del~ev", "Marksova", "Bitolska", "Leninova",
    "Jane Sandanski", "Kej Dragor", "[irok Sokak", "Solunska", "Prilepska", "Kru{evska",
    "Dimitar Vlahov", "Ivo Lola Ribar", "Bra}a Miladinovci", "29 Noemvri", "Stiv Naumov",
    "Kliment Ohridski", "Pe{ta~ka", "@elezni~ka", "Ko~o Racin", "Nikola Karev",
};

const int RuralSettlementCodes[] = {
    400025, 400033, 400041, 400050, 400068, 400076, 400084, 400106, 400114, 400122,
    401013, 401021, 401030, 401048, 402028, 402036, 402044, 403016, 403024, 404012,
    404020, 405019, 405027, 406015, 406023, 407011, 407020, 408018, 409014, 410012,
    411019, 412015, 413011, 415014, 416010, 417017, 418013, 419010, 491071, 491080,
};

// Insurance basis: "1" workers and their families, "5" farmers, the rest
// other bases; blanks around a value and empty values occur in real files.
const WeightedText OsnovMix[] = {
    {"1", 430}, {" 1", 25}, {"1 ", 15}, {"5", 120}, {"2", 110}, {"3", 80},
    {"4", 50}, {"6", 30}, {"8", 20}, {"", 50}, {nullptr, 70},
};

// Member code within the insured family: "00" the holder.
const WeightedText ClenMixAdults[] = {
    {"00", 520}, {"01", 200}, {"02", 90}, {"03", 30}, {"0 ", 25}, {" 0", 10},
    {"10", 15}, {"", 40}, {nullptr, 70},
};
const WeightedText ClenMixMinors[] = {
    {"02", 350}, {"03", 250}, {"04", 120}, {"05", 40}, {"01", 40}, {"00", 20},
    {"0 ", 20}, {"", 60}, {nullptr, 100},
};

// Kind of service: "1" and "2" are first visits.
const WeightedText VisitKindMix[] = {
    {"1", 350}, {"2", 430}, {"3", 90}, {"4", 60}, {"", 35}, {nullptr, 35},
};

const WeightedText SubCategoryMix[] = {
    {"", 280}, {nullptr, 20}, {"0", 180}, {"9", 140}, {"1", 100}, {"2", 60}, {"3", 50},
    {"4", 40}, {"5", 30}, {"6", 25}, {"7", 20}, {"8", 40}, {"0+", 5}, {"*", 5},
};

const WeightedText ServiceMix[] = {
    {"101", 500}, {"102", 200}, {"103", 80}, {"201", 100}, {"202", 60}, {"301", 40}, {"", 20},
};

// Weights per thousand visits of each age, roughly; the categories no row of
// any report counts (U codes, S45, X00, Z89, K59 with "5", a sub-category
// written into the category) make up about 5 %.
const DiagnosisEntry Diagnoses[] = {
    // Infectious and parasitic
    {"A09", nullptr, 25, 40, 15}, {"A08", nullptr, 10, 15, 4}, {"A04", nullptr, 0, 3, 2},
    {"A02", nullptr, 0, 2, 1}, {"A38", nullptr, 0, 2, 0}, {"A49", "1", 0, 1, 2},
    {"A18", "0+", 0, 0, 1}, {"A15", nullptr, 0, 0, 1}, {"A46", nullptr, 0, 1, 2},
    {"A69", nullptr, 0, 0, 1}, {"A63", nullptr, 0, 0, 1},
    {"B00", nullptr, 0, 3, 6}, {"B01", nullptr, 0, 12, 3}, {"B02", nullptr, 0, 0, 5},
    {"B05", nullptr, 0, 1, 0}, {"B06", nullptr, 0, 1, 0}, {"B08", nullptr, 0, 4, 0},
    {"B09", nullptr, 5, 6, 0}, {"B26", nullptr, 0, 2, 0}, {"B27", nullptr, 0, 3, 1},
    {"B34", nullptr, 0, 8, 4}, {"B35", nullptr, 0, 3, 4}, {"B37", nullptr, 10, 2, 4},
    {"B18", nullptr, 0, 0, 2}, {"B80", nullptr, 0, 4, 1}, {"B86", nullptr, 0, 3, 1},
    // Neoplasms
    {"C50", nullptr, 0, 0, 3}, {"C34", nullptr, 0, 0, 3}, {"C18", nullptr, 0, 0, 2},
    {"C61", nullptr, 0, 0, 3}, {"C44", nullptr, 0, 0, 2}, {"C16", nullptr, 0, 0, 1},
    {"C67", nullptr, 0, 0, 1}, {"C71", nullptr, 0, 0, 1}, {"C91", nullptr, 0, 0, 1},
    {"C80", nullptr, 0, 0, 1}, {"D22", nullptr, 0, 1, 2}, {"D25", nullptr, 0, 0, 2},
    {"D48", nullptr, 0, 0, 1},
    // Blood and immune
    {"D50", nullptr, 5, 8, 8}, {"D64", nullptr, 0, 2, 3}, {"D69", nullptr, 0, 0, 1},
    {"D86", nullptr, 0, 0, 1},
    // Endocrine and metabolic
    {"E11", nullptr, 0, 0, 35}, {"E10", nullptr, 0, 1, 5}, {"E03", nullptr, 0, 2, 8},
    {"E05", nullptr, 0, 0, 3}, {"E66", nullptr, 0, 4, 8}, {"E78", nullptr, 0, 0, 5},
    {"E55", nullptr, 3, 2, 3}, {"E86", nullptr, 0, 2, 1}, {"E04", nullptr, 0, 0, 2},
    // Mental and behavioural
    {"F41", nullptr, 0, 1, 12}, {"F32", nullptr, 0, 0, 8}, {"F10", nullptr, 0, 0, 3},
    {"F20", nullptr, 0, 0, 3}, {"F03", nullptr, 0, 0, 2}, {"F43", nullptr, 0, 0, 4},
    {"F51", nullptr, 0, 0, 2}, {"F80", nullptr, 0, 3, 0}, {"F90", nullptr, 0, 3, 0},
    {"F98", nullptr, 0, 2, 0}, {"F84", nullptr, 0, 1, 0},
    // Nervous system
    {"G43", nullptr, 0, 2, 6}, {"G40", nullptr, 0, 2, 3}, {"G45", nullptr, 0, 0, 2},
    {"G20", nullptr, 0, 0, 2}, {"G47", nullptr, 0, 1, 3}, {"G56", nullptr, 0, 0, 2},
    {"G35", nullptr, 0, 0, 1}, {"G30", nullptr, 0, 0, 1}, {"G51", nullptr, 0, 0, 2},
    // Eye and ear
    {"H10", nullptr, 15, 15, 8}, {"H52", nullptr, 0, 6, 3}, {"H50", nullptr, 0, 2, 0},
    {"H25", nullptr, 0, 0, 3}, {"H40", nullptr, 0, 0, 3}, {"H65", nullptr, 0, 15, 3},
    {"H66", nullptr, 20, 30, 5}, {"H60", nullptr, 0, 5, 3}, {"H61", nullptr, 0, 3, 3},
    {"H81", nullptr, 0, 0, 2}, {"H90", nullptr, 0, 0, 1}, {"H92", nullptr, 0, 4, 0},
    // Circulatory
    {"I10", nullptr, 0, 1, 90}, {"I11", nullptr, 0, 0, 15}, {"I20", nullptr, 0, 0, 10},
    {"I25", nullptr, 0, 0, 15}, {"I48", nullptr, 0, 0, 8}, {"I49", nullptr, 0, 1, 0},
    {"I50", nullptr, 0, 0, 10}, {"I63", nullptr, 0, 0, 3}, {"I64", nullptr, 0, 0, 2},
    {"I67", nullptr, 0, 0, 3}, {"I69", nullptr, 0, 0, 2}, {"I83", nullptr, 0, 0, 6},
    {"I84", nullptr, 0, 0, 4}, {"I80", nullptr, 0, 0, 2}, {"I21", nullptr, 0, 0, 2},
    {"I70", nullptr, 0, 0, 3}, {"I95", nullptr, 0, 1, 2},
    // Respiratory
    {"J00", nullptr, 60, 60, 20}, {"J01", nullptr, 0, 12, 8}, {"J02", nullptr, 0, 40, 20},
    {"J03", nullptr, 0, 45, 15}, {"J04", nullptr, 0, 8, 4}, {"J05", nullptr, 0, 4, 0},
    {"J06", nullptr, 60, 80, 35}, {"J11", nullptr, 0, 15, 10}, {"J18", nullptr, 5, 10, 10},
    {"J20", nullptr, 15, 30, 25}, {"J21", nullptr, 20, 6, 0}, {"J30", nullptr, 0, 6, 6},
    {"J32", nullptr, 0, 0, 5}, {"J35", nullptr, 0, 6, 2}, {"J40", nullptr, 0, 0, 8},
    {"J44", nullptr, 0, 0, 10}, {"J45", nullptr, 0, 10, 12}, {"J98", nullptr, 0, 2, 3},
    // Digestive
    {"K00", nullptr, 3, 2, 0}, {"K02", nullptr, 0, 15, 5}, {"K04", nullptr, 0, 2, 3},
    {"K12", nullptr, 0, 3, 0}, {"K21", nullptr, 10, 1, 8}, {"K25", nullptr, 0, 0, 4},
    {"K29", nullptr, 0, 6, 20}, {"K30", nullptr, 0, 4, 5}, {"K35", nullptr, 0, 2, 1},
    {"K40", nullptr, 3, 1, 2}, {"K52", nullptr, 0, 6, 4}, {"K57", nullptr, 0, 0, 2},
    {"K58", nullptr, 0, 0, 6}, {"K59", nullptr, 5, 4, 6}, {"K64", nullptr, 0, 0, 3},
    {"K76", nullptr, 0, 0, 3}, {"K80", nullptr, 0, 0, 4}, {"K81", nullptr, 0, 0, 2},
    // Skin
    {"L01", nullptr, 0, 4, 0}, {"L02", nullptr, 0, 3, 4}, {"L03", nullptr, 0, 0, 2},
    {"L08", nullptr, 0, 3, 2}, {"L20", nullptr, 5, 10, 4}, {"L21", nullptr, 10, 2, 0},
    {"L22", nullptr, 25, 3, 0}, {"L23", nullptr, 0, 2, 3}, {"L30", nullptr, 0, 3, 5},
    {"L40", nullptr, 0, 0, 3}, {"L50", nullptr, 0, 5, 4}, {"L70", nullptr, 0, 3, 1},
    // Musculoskeletal
    {"M17", nullptr, 0, 0, 8}, {"M19", nullptr, 0, 0, 6}, {"M13", nullptr, 0, 0, 4},
    {"M10", nullptr, 0, 0, 3}, {"M06", nullptr, 0, 0, 3}, {"M21", nullptr, 0, 2, 0},
    {"M25", nullptr, 0, 3, 6}, {"M41", nullptr, 0, 4, 0}, {"M42", nullptr, 0, 0, 4},
    {"M47", nullptr, 0, 0, 8}, {"M51", nullptr, 0, 0, 10}, {"M54", nullptr, 0, 2, 30},
    {"M62", nullptr, 0, 0, 3}, {"M63", "*", 0, 0, 1}, {"M65", nullptr, 0, 0, 3},
    {"M75", nullptr, 0, 0, 4}, {"M79", nullptr, 0, 2, 8}, {"M81", nullptr, 0, 0, 4},
    // Genitourinary
    {"N30", nullptr, 0, 6, 12}, {"N39", nullptr, 3, 6, 10}, {"N20", nullptr, 0, 0, 6},
    {"N40", nullptr, 0, 0, 8}, {"N18", nullptr, 0, 0, 4}, {"N47", nullptr, 0, 3, 0},
    {"N48", nullptr, 0, 2, 0}, {"N76", nullptr, 0, 2, 3}, {"N92", nullptr, 0, 0, 3},
    {"N94", nullptr, 0, 2, 0}, {"N95", nullptr, 0, 0, 4}, {"N41", nullptr, 0, 0, 2},
    // Pregnancy
    {"O20", nullptr, 0, 0, 1}, {"O21", nullptr, 0, 0, 1}, {"O80", nullptr, 0, 0, 1},
    {"O03", nullptr, 0, 0, 1}, {"O26", nullptr, 0, 0, 1},
    // Perinatal
    {"P59", nullptr, 20, 0, 0}, {"P07", nullptr, 3, 0, 0}, {"P92", nullptr, 5, 0, 0},
    {"P83", nullptr, 3, 0, 0}, {"P38", nullptr, 2, 0, 0},
    // Congenital
    {"Q21", nullptr, 2, 1, 1}, {"Q53", nullptr, 2, 1, 0}, {"Q65", nullptr, 3, 1, 1},
    {"Q66", nullptr, 0, 1, 0},
    // Symptoms
    {"R05", nullptr, 0, 8, 5}, {"R06", nullptr, 0, 2, 3}, {"R07", nullptr, 0, 0, 4},
    {"R10", nullptr, 3, 10, 6}, {"R11", nullptr, 5, 5, 3}, {"R42", nullptr, 0, 0, 5},
    {"R50", nullptr, 15, 15, 3}, {"R51", nullptr, 0, 4, 5}, {"R52", nullptr, 0, 0, 2},
    {"R54", nullptr, 0, 0, 2}, {"R56", nullptr, 0, 2, 0}, {"R62", nullptr, 0, 2, 0},
    // Injuries and poisoning
    {"S00", nullptr, 1, 3, 0}, {"S01", nullptr, 0, 3, 2}, {"S06", nullptr, 0, 2, 1},
    {"S13", nullptr, 0, 0, 1}, {"S42", nullptr, 0, 2, 1}, {"S52", nullptr, 0, 4, 2},
    {"S60", nullptr, 0, 3, 2}, {"S62", nullptr, 0, 2, 1}, {"S72", nullptr, 0, 0, 1},
    {"S80", nullptr, 0, 3, 2}, {"S82", nullptr, 0, 2, 2}, {"S83", nullptr, 0, 0, 2},
    {"S93", nullptr, 0, 5, 3}, {"T14", nullptr, 1, 4, 3}, {"T15", nullptr, 0, 3, 1},
    {"T17", nullptr, 0, 1, 0}, {"T22", nullptr, 0, 1, 0}, {"T23", nullptr, 0, 0, 1},
    {"T30", nullptr, 0, 1, 1}, {"T63", nullptr, 0, 3, 1}, {"T78", nullptr, 0, 3, 2},
    {"T88", nullptr, 0, 0, 1},
    // External causes
    {"V43", nullptr, 0, 0, 1}, {"V89", nullptr, 0, 1, 1}, {"W01", nullptr, 0, 1, 1},
    {"W19", nullptr, 0, 2, 2}, {"X59", nullptr, 0, 1, 1}, {"Y57", nullptr, 0, 0, 1},
    // Factors influencing health status
    {"Z00", nullptr, 60, 50, 30}, {"Z01", "3", 0, 0, 8}, {"Z01", nullptr, 3, 5, 4},
    {"Z02", "1", 0, 1, 6}, {"Z02", nullptr, 0, 3, 3}, {"Z09", nullptr, 0, 2, 3},
    {"Z10", nullptr, 0, 15, 6}, {"Z11", nullptr, 0, 3, 3}, {"Z12", nullptr, 0, 0, 4},
    {"Z13", nullptr, 2, 2, 3}, {"Z23", nullptr, 50, 30, 8}, {"Z24", nullptr, 0, 3, 2},
    {"Z25", nullptr, 0, 2, 2}, {"Z27", nullptr, 15, 8, 0}, {"Z30", nullptr, 0, 0, 4},
    {"Z34", nullptr, 0, 0, 3}, {"Z38", nullptr, 3, 0, 0}, {"Z49", nullptr, 0, 0, 1},
    {"Z51", nullptr, 0, 0, 3}, {"Z57", nullptr, 0, 0, 2}, {"Z71", nullptr, 0, 2, 3},
    {"Z72", nullptr, 0, 0, 3}, {"Z76", nullptr, 5, 5, 10},
    // Counted by no row
    {"U07", nullptr, 8, 12, 10}, {"U04", nullptr, 2, 4, 3}, {"S45", nullptr, 0, 2, 6},
    {"X00", nullptr, 3, 4, 4}, {"Z89", nullptr, 3, 3, 8}, {"K59", "5", 1, 3, 8},
    {"J06.9", "", 1, 2, 2}, {"P28", nullptr, 0, 0, 3}, {"P07", nullptr, 0, 0, 2},
    // Never drawn: whooping cough, planted only as an anomaly (see
    // DemoOptions::anomalies).
    {"A37", nullptr, 0, 0, 0},
};

// The age mix: every band of every report holds persons, with the bulk of
// visits from adults and the elderly. Age in completed months at the last day.
const AgeGroup AgeGroups[] = {
    {0, 2, 6, 60},        {2, 5, 8, 50},        {5, 11, 12, 40},      {11, 24, 20, 30},
    {24, 48, 30, 25},     {48, 72, 30, 20},     {72, 84, 15, 15},     {84, 108, 25, 12},
    {108, 168, 55, 10},   {168, 228, 55, 10},   {228, 288, 55, 8},    {288, 324, 35, 8},
    {324, 408, 90, 8},    {408, 528, 110, 10},  {528, 648, 120, 12},  {648, 768, 120, 16},
    {768, 888, 100, 22},  {888, 1080, 60, 26},  {1080, 1236, 6, 20},
    // Misrecorded birth years: past every band's upper limit.
    {1572, 1620, 1, 2},
};

const DoctorEntry Doctors[] = {
    {"L01", "Petrovski", "Aleksandar", true}, {"L02", "Stojanovska", "Marija", true},
    {"L03", "Kostovski", "Dragan", false},    {"L04", "\\or|ievska", "Elena", true},
    {"L05", "Trajkovski", "Zoran", true},     {"L06", "Ristovska", "Biqana", true},
    {"L07", "Todorovska", "Ru`ica", false},   {"L08", "Ilievska", "Sne`ana", true},
    {"L09", "Mitrevski", "Bla`e", true},      {"L10", "Angelovski", "Qup~o", true},
    {"L11", "Spasovska", "Vesna", true},      {"L12", "Naumovski", "Ko~o", false},
    {"L13", "[opova", "Tawa", true},          {"L14", "Ku{evski", "Nikola", true},
    {"L15", "@ivkovska", "Jasmina", true},
};

const InstitutionEntry Institution = {
    "PZU Zdravstven dom Pelagonija", "0123/99", "4123456", "ul. Ilindenska br. 35", "Bitola",
    "4002012345678", "Stopanska banka AD Bitola", "200000012345678", "047/220-333", 1, "006",
};

} // namespace

std::span<const char *const> surnames() { return Surnames; }
std::span<const char *const> maleNames() { return MaleNames; }
std::span<const char *const> femaleNames() { return FemaleNames; }
std::span<const char *const> streets() { return Streets; }
std::span<const int> ruralSettlementCodes() { return RuralSettlementCodes; }
std::span<const WeightedText> osnovMix() { return OsnovMix; }
std::span<const WeightedText> clenMixAdults() { return ClenMixAdults; }
std::span<const WeightedText> clenMixMinors() { return ClenMixMinors; }
std::span<const WeightedText> visitKindMix() { return VisitKindMix; }
std::span<const WeightedText> subCategoryMix() { return SubCategoryMix; }
std::span<const WeightedText> serviceMix() { return ServiceMix; }
std::span<const DiagnosisEntry> diagnoses() { return Diagnoses; }
std::span<const AgeGroup> ageGroups() { return AgeGroups; }
std::span<const DoctorEntry> doctorList() { return Doctors; }
const InstitutionEntry &institution() { return Institution; }

std::string femaleSurname(std::string_view surname)
{
    std::string text(surname);
    if (text.ends_with("ski") || text.ends_with("ki"))
        text.back() = 'a';
    else if (text.ends_with("ov") || text.ends_with("ev"))
        text += 'a';
    return text;
}

} // namespace tarel::demodb
