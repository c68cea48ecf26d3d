#include "settings/lang_texts.h"

namespace varn {

const std::array<const char*, kLangSlots> lang_default_texts = {
    "File",                         // MEN_FIL
    "&Load ROM",                    // MEN_FIL_LRM
    "Boot S&ega CD",                // MEN_FIL_SCD
    "L&oad State",                  // MEN_FIL_LST
    "&Save State",                  // MEN_FIL_SST
    "Load &Demo",                   // MEN_FIL_LDM
    "Sa&ve Demo",                   // MEN_FIL_SDM
    "Load &Patch",                  // MEN_FIL_LPT
    "Save S&creenshot",             // MEN_FIL_SSS
    "Save &Wave Log",               // MEN_FIL_SWV
    "Save &GYM/VGM Log",            // MEN_FIL_SGD
    "Save &Movie",                  // MEN_FIL_SMV
    "E&xit",                        // MEN_FIL_EXT
    "Config",                       // MEN_CFG
    "File IO",                      // MEN_CFG_FIO
    "Load System ROM",              // MEN_CFG_FIO_LSR
    "Genesis",                      // MEN_CFG_FIO_GEN_SR0U
    "32X Master SH2",               // MEN_CFG_FIO_S32_SR0U
    "32X Slave SH2",                // MEN_CFG_FIO_S32_SR1U
    "32X M68000",                   // MEN_CFG_FIO_S32_SR2U
    "Sega CD (U)",                  // MEN_CFG_FIO_SCD_SR0U
    "Sega CD (E)",                  // MEN_CFG_FIO_SCD_SR0E
    "Sega CD (J)",                  // MEN_CFG_FIO_SCD_SR0J
    "Set Default &CD Drive",        // MEN_CFG_FIO_CDD
    "Set &BRM Path",                // MEN_CFG_FIO_BRM
    "&Save BRMs in save states",    // MEN_CFG_FIO_UBR
    "Autoname saved-states",        // MEN_CFG_FIO_ANGSS
    "Autoname demos",               // MEN_CFG_FIO_ANDEM
    "Autoname patches",             // MEN_CFG_FIO_ANPAT
    "Autoname screenshots",         // MEN_CFG_FIO_ANSHT
    "Autoname waves",               // MEN_CFG_FIO_ANWAV
    "Autoname GYMs/VGMs",           // MEN_CFG_FIO_ANVGM
    "Autoname movies",              // MEN_CFG_FIO_ANMOV
    "Graphics",                     // MEN_CFG_GFX
    "Frame Skip",                   // MEN_CFG_GFX_FMS
    "Auto",                         // MEN_CFG_GFX_FMS_A
    "Screen Size",                  // MEN_CFG_GFX_SCR
    "Single",                       // MEN_CFG_GFX_SCR_S
    "Double",                       // MEN_CFG_GFX_SCR_D
    "Full Screen",                  // MEN_CFG_GFX_SCR_F
    "Scan Lines",                   // MEN_CFG_GFX_SCL
    "None",                         // MEN_CFG_GFX_SCL_N
    "Half Intensity",               // MEN_CFG_GFX_SCL_H
    "Blank Lines",                  // MEN_CFG_GFX_SCL_B
    "Force &Display",               // MEN_CFG_GFX_FDS
    "&Enhance Visibility",          // MEN_CFG_GFX_ENV
    "Sound",                        // MEN_CFG_SND
    "Rate",                         // MEN_CFG_SND_SPS
    "&Stereo",                      // MEN_CFG_SND_2CH
    "&Allow Aliasing",              // MEN_CFG_SND_ALI
    "Input",                        // MEN_CFG_INP
    "Player 1a",                    // MEN_CFG_INP_PL1A
    "Player 1b",                    // MEN_CFG_INP_PL1B
    "Player 1c",                    // MEN_CFG_INP_PL1C
    "Player 1d",                    // MEN_CFG_INP_PL1D
    "Player 2a",                    // MEN_CFG_INP_PL2A
    "Player 2b",                    // MEN_CFG_INP_PL2B
    "Player 2c",                    // MEN_CFG_INP_PL2C
    "Player 2d",                    // MEN_CFG_INP_PL2D
    "Device select",                // MEN_CFG_INP_PLXX_DSL
    "Keyboard",                     // MEN_CFG_INP_PLXX_K
    "Joystick",                     // MEN_CFG_INP_PLXX_J
    "Mouse",                        // MEN_CFG_INP_PLXX_M
    "Network",                      // MEN_CFG_INP_PLXX_N
    "Define &Keys",                 // MEN_CFG_INP_PLXX_KEY
    "Define &Joystick",             // MEN_CFG_INP_PLXX_JOY
    "&Joystick",                    // MEN_CFG_INP_JSC
    "&Network",                     // MEN_CFG_INP_NET
    "GUI",                          // MEN_CFG_GUI
    "Frame/Stretch Behavior",       // MEN_CFG_GUI_FSB
    "Self &adjust",                 // MEN_CFG_GUI_FSB_SFQ
    "&Static size/Square pixels",   // MEN_CFG_GUI_FSB_SSQ
    "S&tatic size/Stretched",       // MEN_CFG_GUI_FSB_SST
    "&Resizeable/Square pixels",    // MEN_CFG_GUI_FSB_RSQ
    "R&esizeable/Custom XY ratio",  // MEN_CFG_GUI_FSB_RSC
    "Res&izeable/Stretched",        // MEN_CFG_GUI_FSB_RST
    "&Game Name Search Order",      // MEN_CFG_GUI_GNM
    "&ROM Namer",                   // MEN_CFG_GUI_GNM_ROM
    "&Header",                      // MEN_CFG_GUI_GNM_HDR
    "&Filename",                    // MEN_CFG_GUI_GNM_FIL
    "Error Messages",               // MEN_CFG_GUI_ERM
    "ROM Validity Failure",         // MEN_CFG_GUI_ERM_RVF
    "Missing WNASPI32.DLL",         // MEN_CFG_GUI_ERM_ASP
    "Missing UnRAR.DLL",            // MEN_CFG_GUI_ERM_UNR
    "Missing ZLib.DLL",             // MEN_CFG_GUI_ERM_ZLB
    "Missing KestGen.DLL",          // MEN_CFG_GUI_ERM_KGEN
    "Missing Kest32X.DLL",          // MEN_CFG_GUI_ERM_K32X
    "Missing KestSMS.DLL",          // MEN_CFG_GUI_ERM_KSMS
    "Auto-pause (&Menu)",           // MEN_CFG_GUI_APM
    "Auto-pause (&Focus)",          // MEN_CFG_GUI_APF
    "Enable &Status Bar",           // MEN_CFG_GUI_ESB
    "Machine",                      // MEN_CFG_MAC
    "Miscellaneous",                // MEN_CFG_MAC_MSC
    "Region",                       // MEN_CFG_MAC_MSC_CTR
    "&Auto Detect",                 // MEN_CFG_MAC_MSC_CTR_A
    "&Order",                       // MEN_CFG_MAC_MSC_ORD
    "&USA",                         // MEN_CFG_MAC_MSC_CTR_U
    "&Europe",                      // MEN_CFG_MAC_MSC_CTR_E
    "&Japan",                       // MEN_CFG_MAC_MSC_CTR_J
    "Port 1",                       // MEN_CFG_MAC_MSC_CP1
    "Port 2",                       // MEN_CFG_MAC_MSC_CP2
    "Expansion port 1a",            // MEN_CFG_MAC_MSC_T1A
    "Expansion port 1b",            // MEN_CFG_MAC_MSC_T1B
    "Expansion port 1c",            // MEN_CFG_MAC_MSC_T1C
    "Expansion port 1d",            // MEN_CFG_MAC_MSC_T1D
    "Expansion port 2a",            // MEN_CFG_MAC_MSC_T2A
    "Expansion port 2b",            // MEN_CFG_MAC_MSC_T2B
    "Expansion port 2c",            // MEN_CFG_MAC_MSC_T2C
    "Expansion port 2d",            // MEN_CFG_MAC_MSC_T2D
    "Empty",                        // MEN_CFG_MAC_MSC_CPX_EMP
    "3 button control pad",         // MEN_CFG_MAC_MSC_CPX_3BP
    "6 button control pad",         // MEN_CFG_MAC_MSC_CPX_6BP
    "Sega Mouse",                   // MEN_CFG_MAC_MSC_CPX_SMO
    "Sega Teamplayer",              // MEN_CFG_MAC_MSC_CPX_STP
    "Sega Menacer",                 // MEN_CFG_MAC_MSC_CPX_SME
    "Konami Justifier",             // MEN_CFG_MAC_MSC_CPX_KJF
    "EA 4 way",                     // TXT_EA_4_WAY
    "Konami Justifier (2nd Gun)",   // MEN_CFG_MAC_MSC_CPX_KJF2
    "SMS light phaser",             // MEN_CFG_MAC_MSC_CPX_SMS_LPH
    "SMS sports pad",               // MEN_CFG_MAC_MSC_CPX_SMS_SPD
    "SMS paddle",                   // MEN_CFG_MAC_MSC_CPX_SMS_PDL
    "Genesis",                      // MEN_CFG_MAC_GEN
    "&Use System ROM",              // MEN_CFG_MAC_GEN_USR
    "&Disable Z80",                 // MEN_CFG_MAC_GEN_Z80
    "&Autofix checksum",            // MEN_CFG_MAC_GEN_AFC
    "&Sprite Limit",                // MEN_CFG_MAC_GEN_SPL
    "Squash &Interlace",            // MEN_CFG_MAC_GEN_SQI
    "32X",                          // MEN_CFG_MAC_S32
    "&Use System ROMs",             // MEN_CFG_MAC_S32_USR
    "Sega CD",                      // MEN_CFG_MAC_SCD
    "&Enable Sega CD/32X",          // MEN_CFG_MAC_SCD_32X
    "&Use RAM cartridges",          // MEN_CFG_MAC_SCD_URC
    "RAM cartridge size",           // MEN_CFG_MAC_SCD_RCS
    "&Weird Japanese BIOS fix",     // MEN_CFG_MAC_SCD_WJF
    "SMS",                          // MEN_CFG_MAC_SMS
    "&Use System ROM",              // MEN_CFG_MAC_SMS_USR
    "&VDP",                         // MEN_CFG_MAC_SMS_VDP
    "Enable &FM",                   // MEN_CFG_MAC_SMS_EFM
    "&Red/Blue 3D",                 // MEN_CFG_MAC_SMS_RB3
    "&Sprite Limit",                // MEN_CFG_MAC_SMS_SPL
    "Help",                         // MEN_HLP
    "&Radazar Ezevorarir",          // TXT_HELP_DATABASE
    "About KestG&en.DLL",           // MEN_HLP_ABT_KGEN
    "About Kest&32X.DLL",           // MEN_HLP_ABT_K32X
    "&About VARN",                  // MEN_HLP_ABT
    "VARN requires MMX.",           // ERM_SYS_MMX
    "Missing WNASPI32.DLL.  You will not be able to use your CD-ROM(s).",  // ERM_FIO_ASP
    "Missing UNRAR.DLL.  You will not be able to use RAR'd files.",        // ERM_FIO_UNR
    "Missing ZLIB.DLL.  You will not be able to use ZIP'd files.",         // ERM_FIO_ZLB
    "Missing KestGen.DLL.  VARN won't be able identify Genesis ROMs.",     // ERM_FIO_KGEN
    "Missing Kest32X.DLL.  VARN won't be able identify 32X ROMs.",         // ERM_FIO_K32X
    "Missing KestSMS.DLL.  VARN won't be able identify SMS ROMs.",         // ERM_FIO_KSMS
    "Load type and/or Load mode could not be determined.",                 // ERM_FIO_LMT
    "Warning: file failed validity tests.",                                // ERM_FIO_RVF
    "Couldn't open file.",                                                 // ERM_FIO_COF
    "not found.",                                                          // ERM_FIO_NF
    "Invalid patch.",                                                      // ERM_FIO_IP
    "Choose a default CD drive first.",                                    // ERM_FIO_CDD
    "Requested sector is out of bounds.",                                  // ERM_FIO_SOB
    "Error loading state, file is damaged or invalid.",                    // TXT_STATE_LOAD_FAILED
    "Can't save PNG files without ZLIB.DLL.",                              // ERM_FIO_SHT
    "Can't record demo file.",                                             // ERM_FIO_REC_DEM1
    "Can't record wave file.",                                             // ERM_FIO_REC_WAV1
    "Can't record GYM/VGM file.",                                          // ERM_FIO_REC_VGM1
    "Can't record movie file.",                                            // ERM_FIO_REC_MOV1
    "You are already recording a demo file.",                              // ERM_FIO_REC_DEM2
    "You are already recording a wave file.",                              // ERM_FIO_REC_WAV2
    "You are already recording a GYM/VGM file.",                           // ERM_FIO_REC_VGM2
    "You are already recording a movie file.",                             // ERM_FIO_REC_MOV2
    "You must enable the 32X system ROMs to play Sega CD/32X games.",      // ERM_FIO_SCD_32X
    "You must have DirectX installed.",                                    // ERM_GFX_DX
    "VARN requires 16-Bit color for windowed modes.  You will only be able to use fullscreen "
    "mode.",                                                        // ERM_GFX_N16_1
    "VARN is paused until you return to fullscreen mode.",          // ERM_GFX_N16_2
    "DirectInput not initialized.  Executing in watch-only mode.",  // ERM_INP_DI
    "Could not initialize joystick.",                               // ERM_INP_JOY
    "About Varn",                                                   // DBX_ABT
    "Written by",                                                   // DBX_ABT_WRB
    "Translated by <YOUR NAME HERE>",                               // DBX_ABT_TRB
    "<YOUR URL HERE>",                                              // DBX_ABT_TRU
    "Set BRM Path",                                                 // DBX_FIO_BRM
    "CD Drive Chooser",                                             // DBX_FIO_CDD
    "Load File",                                                    // DBX_FIO_FSD
    "Files of type",                                                // DBX_FIO_FSD_FOT
    "Define Input",                                                 // DBX_INP_DEF
    "Change",                                                       // DBX_INP_DEF_CHG
    "Genesis ROM (*.BIN;*.SMD;*.MD;*.GEN)",                         // TXT_FILTER_GENESIS_DESC
    "*.BIN;*.SMD;*.MD;*.GEN",                                       // TXT_FILTER_GENESIS_PATTERN
    "32X ROM (*.32X)",                                              // TXT_FILTER_32X_DESC
    "*.32X",                                                        // TXT_FILTER_32X_PATTERN
    "Sega CD Image (*.ISO;*.BIN;*.RAW)",                            // TXT_FILTER_SEGA_CD_DESC
    "*.ISO;*.BIN;*.RAW",                                            // TXT_FILTER_SEGA_CD_PATTERN
    "Sega CD Image Cuesheet (*.CUE)",                               // TXT_FILTER_CUE_DESC
    "*.CUE",                                                        // TXT_FILTER_CUE_PATTERN
    "Sega Master System ROM (*.SMS)",                               // TXT_FILTER_SMS_DESC
    "*.SMS",                                                        // TXT_FILTER_SMS_PATTERN
};

std::array<const char*, kLangSlots> lang_texts = lang_default_texts;
u32 lang_file_loaded                           = 0;
StringList lang_string_store;

namespace {

u32 filter_slot(u32 filter_index) {
    if (filter_index < 1 || filter_index > lang::kFilterCount) filter_index = lang::kFilterGenesis;
    return 183 + 2 * filter_index;
}

}  // namespace

const char* lang_filter_description(u32 filter_index) {
    return lang_texts[filter_slot(filter_index)];
}
const char* lang_filter_pattern(u32 filter_index) {
    return lang_texts[filter_slot(filter_index) + 1];
}

void lang_set_text(lang::Slot slot, std::string_view text) {
    lang_texts[slot] = lang_string_store.PushBack(text);
}

void lang_texts_reset() {
    lang_texts       = lang_default_texts;
    lang_file_loaded = 0;
    lang_string_store.Clear();
}

}  // namespace varn
