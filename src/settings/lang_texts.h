#pragma once
// The table of user-visible texts: every menu text, message, dialog caption and file filter
// the program shows has a slot here with its built-in English text, and a language file may
// point a slot at a replacement. Slots 0-144 are the menu texts in menu order, 145-174 the
// messages, 175-184 the dialog texts, 185-194 five file-filter pairs {description,
// pattern}. The slots are named after their language-file keys; a TXT_ name marks a slot
// that no key reaches. The built-in texts are the text rows of settings/menu_table.h.
//
// Only the user-interface thread reads or changes the table; replacements live until the
// program ends (or `lang_texts_reset`), so a pointer taken from it stays valid.

#include <array>
#include <string_view>

#include "base/types.h"
#include "settings/text_helpers.h"

namespace varn {

inline constexpr u32 kLangSlots = 195;

namespace lang {

enum Slot : u32 {
    MEN_FIL                     = 0,
    MEN_FIL_LRM                 = 1,
    MEN_FIL_SCD                 = 2,
    MEN_FIL_LST                 = 3,
    MEN_FIL_SST                 = 4,
    MEN_FIL_LDM                 = 5,
    MEN_FIL_SDM                 = 6,
    MEN_FIL_LPT                 = 7,
    MEN_FIL_SSS                 = 8,
    MEN_FIL_SWV                 = 9,
    MEN_FIL_SGD                 = 10,
    MEN_FIL_SMV                 = 11,
    MEN_FIL_EXT                 = 12,
    MEN_CFG                     = 13,
    MEN_CFG_FIO                 = 14,
    MEN_CFG_FIO_LSR             = 15,
    MEN_CFG_FIO_GEN_SR0U        = 16,
    MEN_CFG_FIO_S32_SR0U        = 17,
    MEN_CFG_FIO_S32_SR1U        = 18,
    MEN_CFG_FIO_S32_SR2U        = 19,
    MEN_CFG_FIO_SCD_SR0U        = 20,
    MEN_CFG_FIO_SCD_SR0E        = 21,
    MEN_CFG_FIO_SCD_SR0J        = 22,
    MEN_CFG_FIO_CDD             = 23,
    MEN_CFG_FIO_BRM             = 24,
    MEN_CFG_FIO_UBR             = 25,
    MEN_CFG_FIO_ANGSS           = 26,
    MEN_CFG_FIO_ANDEM           = 27,
    MEN_CFG_FIO_ANPAT           = 28,
    MEN_CFG_FIO_ANSHT           = 29,
    MEN_CFG_FIO_ANWAV           = 30,
    MEN_CFG_FIO_ANVGM           = 31,
    MEN_CFG_FIO_ANMOV           = 32,
    MEN_CFG_GFX                 = 33,
    MEN_CFG_GFX_FMS             = 34,
    MEN_CFG_GFX_FMS_A           = 35,
    MEN_CFG_GFX_SCR             = 36,
    MEN_CFG_GFX_SCR_S           = 37,
    MEN_CFG_GFX_SCR_D           = 38,
    MEN_CFG_GFX_SCR_F           = 39,
    MEN_CFG_GFX_SCL             = 40,
    MEN_CFG_GFX_SCL_N           = 41,
    MEN_CFG_GFX_SCL_H           = 42,
    MEN_CFG_GFX_SCL_B           = 43,
    MEN_CFG_GFX_FDS             = 44,
    MEN_CFG_GFX_ENV             = 45,
    MEN_CFG_SND                 = 46,
    MEN_CFG_SND_SPS             = 47,
    MEN_CFG_SND_2CH             = 48,
    MEN_CFG_SND_ALI             = 49,
    MEN_CFG_INP                 = 50,
    MEN_CFG_INP_PL1A            = 51,
    MEN_CFG_INP_PL1B            = 52,
    MEN_CFG_INP_PL1C            = 53,
    MEN_CFG_INP_PL1D            = 54,
    MEN_CFG_INP_PL2A            = 55,
    MEN_CFG_INP_PL2B            = 56,
    MEN_CFG_INP_PL2C            = 57,
    MEN_CFG_INP_PL2D            = 58,
    MEN_CFG_INP_PLXX_DSL        = 59,
    MEN_CFG_INP_PLXX_K          = 60,
    MEN_CFG_INP_PLXX_J          = 61,
    MEN_CFG_INP_PLXX_M          = 62,
    MEN_CFG_INP_PLXX_N          = 63,
    MEN_CFG_INP_PLXX_KEY        = 64,
    MEN_CFG_INP_PLXX_JOY        = 65,
    MEN_CFG_INP_JSC             = 66,
    MEN_CFG_INP_NET             = 67,
    MEN_CFG_GUI                 = 68,
    MEN_CFG_GUI_FSB             = 69,
    MEN_CFG_GUI_FSB_SFQ         = 70,
    MEN_CFG_GUI_FSB_SSQ         = 71,
    MEN_CFG_GUI_FSB_SST         = 72,
    MEN_CFG_GUI_FSB_RSQ         = 73,
    MEN_CFG_GUI_FSB_RSC         = 74,
    MEN_CFG_GUI_FSB_RST         = 75,
    MEN_CFG_GUI_GNM             = 76,
    MEN_CFG_GUI_GNM_ROM         = 77,
    MEN_CFG_GUI_GNM_HDR         = 78,
    MEN_CFG_GUI_GNM_FIL         = 79,
    MEN_CFG_GUI_ERM             = 80,
    MEN_CFG_GUI_ERM_RVF         = 81,
    MEN_CFG_GUI_ERM_ASP         = 82,
    MEN_CFG_GUI_ERM_UNR         = 83,
    MEN_CFG_GUI_ERM_ZLB         = 84,
    MEN_CFG_GUI_ERM_KGEN        = 85,
    MEN_CFG_GUI_ERM_K32X        = 86,
    MEN_CFG_GUI_ERM_KSMS        = 87,
    MEN_CFG_GUI_APM             = 88,
    MEN_CFG_GUI_APF             = 89,
    MEN_CFG_GUI_ESB             = 90,
    MEN_CFG_MAC                 = 91,
    MEN_CFG_MAC_MSC             = 92,
    MEN_CFG_MAC_MSC_CTR         = 93,
    MEN_CFG_MAC_MSC_CTR_A       = 94,
    MEN_CFG_MAC_MSC_ORD         = 95,
    MEN_CFG_MAC_MSC_CTR_U       = 96,
    MEN_CFG_MAC_MSC_CTR_E       = 97,
    MEN_CFG_MAC_MSC_CTR_J       = 98,
    MEN_CFG_MAC_MSC_CP1         = 99,
    MEN_CFG_MAC_MSC_CP2         = 100,
    MEN_CFG_MAC_MSC_T1A         = 101,
    MEN_CFG_MAC_MSC_T1B         = 102,
    MEN_CFG_MAC_MSC_T1C         = 103,
    MEN_CFG_MAC_MSC_T1D         = 104,
    MEN_CFG_MAC_MSC_T2A         = 105,
    MEN_CFG_MAC_MSC_T2B         = 106,
    MEN_CFG_MAC_MSC_T2C         = 107,
    MEN_CFG_MAC_MSC_T2D         = 108,
    MEN_CFG_MAC_MSC_CPX_EMP     = 109,
    MEN_CFG_MAC_MSC_CPX_3BP     = 110,
    MEN_CFG_MAC_MSC_CPX_6BP     = 111,
    MEN_CFG_MAC_MSC_CPX_SMO     = 112,
    MEN_CFG_MAC_MSC_CPX_STP     = 113,
    MEN_CFG_MAC_MSC_CPX_SME     = 114,
    MEN_CFG_MAC_MSC_CPX_KJF     = 115,
    TXT_EA_4_WAY                = 116,
    MEN_CFG_MAC_MSC_CPX_KJF2    = 117,
    MEN_CFG_MAC_MSC_CPX_SMS_LPH = 118,
    MEN_CFG_MAC_MSC_CPX_SMS_SPD = 119,
    MEN_CFG_MAC_MSC_CPX_SMS_PDL = 120,
    MEN_CFG_MAC_GEN             = 121,
    MEN_CFG_MAC_GEN_USR         = 122,
    MEN_CFG_MAC_GEN_Z80         = 123,
    MEN_CFG_MAC_GEN_AFC         = 124,
    MEN_CFG_MAC_GEN_SPL         = 125,
    MEN_CFG_MAC_GEN_SQI         = 126,
    MEN_CFG_MAC_S32             = 127,
    MEN_CFG_MAC_S32_USR         = 128,
    MEN_CFG_MAC_SCD             = 129,
    MEN_CFG_MAC_SCD_32X         = 130,
    MEN_CFG_MAC_SCD_URC         = 131,
    MEN_CFG_MAC_SCD_RCS         = 132,
    MEN_CFG_MAC_SCD_WJF         = 133,
    MEN_CFG_MAC_SMS             = 134,
    MEN_CFG_MAC_SMS_USR         = 135,
    MEN_CFG_MAC_SMS_VDP         = 136,
    MEN_CFG_MAC_SMS_EFM         = 137,
    MEN_CFG_MAC_SMS_RB3         = 138,
    MEN_CFG_MAC_SMS_SPL         = 139,
    MEN_HLP                     = 140,
    TXT_HELP_DATABASE           = 141,
    MEN_HLP_ABT_KGEN            = 142,
    MEN_HLP_ABT_K32X            = 143,
    MEN_HLP_ABT                 = 144,
    ERM_SYS_MMX                 = 145,
    ERM_FIO_ASP                 = 146,
    ERM_FIO_UNR                 = 147,
    ERM_FIO_ZLB                 = 148,
    ERM_FIO_KGEN                = 149,
    ERM_FIO_K32X                = 150,
    ERM_FIO_KSMS                = 151,
    ERM_FIO_LMT                 = 152,
    ERM_FIO_RVF                 = 153,
    ERM_FIO_COF                 = 154,
    ERM_FIO_NF                  = 155,
    ERM_FIO_IP                  = 156,
    ERM_FIO_CDD                 = 157,
    ERM_FIO_SOB                 = 158,
    TXT_STATE_LOAD_FAILED       = 159,
    ERM_FIO_SHT                 = 160,
    ERM_FIO_REC_DEM1            = 161,
    ERM_FIO_REC_WAV1            = 162,
    ERM_FIO_REC_VGM1            = 163,
    ERM_FIO_REC_MOV1            = 164,
    ERM_FIO_REC_DEM2            = 165,
    ERM_FIO_REC_WAV2            = 166,
    ERM_FIO_REC_VGM2            = 167,
    ERM_FIO_REC_MOV2            = 168,
    ERM_FIO_SCD_32X             = 169,
    ERM_GFX_DX                  = 170,
    ERM_GFX_N16_1               = 171,
    ERM_GFX_N16_2               = 172,
    ERM_INP_DI                  = 173,
    ERM_INP_JOY                 = 174,
    DBX_ABT                     = 175,
    DBX_ABT_WRB                 = 176,
    DBX_ABT_TRB                 = 177,
    DBX_ABT_TRU                 = 178,
    DBX_FIO_BRM                 = 179,
    DBX_FIO_CDD                 = 180,
    DBX_FIO_FSD                 = 181,
    DBX_FIO_FSD_FOT             = 182,
    DBX_INP_DEF                 = 183,
    DBX_INP_DEF_CHG             = 184,
    TXT_FILTER_GENESIS_DESC     = 185,
    TXT_FILTER_GENESIS_PATTERN  = 186,
    TXT_FILTER_32X_DESC         = 187,
    TXT_FILTER_32X_PATTERN      = 188,
    TXT_FILTER_SEGA_CD_DESC     = 189,
    TXT_FILTER_SEGA_CD_PATTERN  = 190,
    TXT_FILTER_CUE_DESC         = 191,
    TXT_FILTER_CUE_PATTERN      = 192,
    TXT_FILTER_SMS_DESC         = 193,
    TXT_FILTER_SMS_PATTERN      = 194,
};

// Filter indexes as the file dialogs number them (1-5); the description and pattern of
// filter i sit in slots 183 + 2i and 184 + 2i.
inline constexpr u32 kFilterGenesis = 1;
inline constexpr u32 kFilter32x     = 2;
inline constexpr u32 kFilterSegaCd  = 3;
inline constexpr u32 kFilterCue     = 4;
inline constexpr u32 kFilterSms     = 5;
inline constexpr u32 kFilterCount   = 5;

}  // namespace lang

extern std::array<const char*, kLangSlots> lang_texts;
extern const std::array<const char*, kLangSlots> lang_default_texts;

// 1 once a language file has been opened: dialogs then take their captions and button texts
// from the table instead of their templates.
extern u32 lang_file_loaded;

// The replacement texts the slots point at, kept until the program ends.
extern StringList lang_string_store;

inline const char* lang_text(lang::Slot slot) { return lang_texts[slot]; }

// The description and pattern of file filter `filter_index` (1-5); any other index gives
// the Genesis filter.
const char* lang_filter_description(u32 filter_index);
const char* lang_filter_pattern(u32 filter_index);

// Points `slot` at a copy of `text` that the table keeps until reset.
void lang_set_text(lang::Slot slot, std::string_view text);

// Every slot back to its built-in text, replacements dropped, `lang_file_loaded` 0.
void lang_texts_reset();

}  // namespace varn
