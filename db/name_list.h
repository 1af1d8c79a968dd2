#pragma once

// The reference tables whose display text ("11000  現金": the code, two blanks,
// the name) a row shows beside one of its codes: ACCNAME of an operating or a
// county account, BANK_NAME of a business unit, HSIENNAME of a county.
// ReferenceLists gives the texts of each.
enum class NameList {
    Accounts,         // CACNO
    Institutions,     // BN01
    Counties,         // CD01
    CountyAccounts,   // HCACNO
};
