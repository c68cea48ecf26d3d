#pragma once
// The main menu described once.
//
// The text rows are every user-visible text with a language-file key or a slot of
// `lang_texts`: first the menu's texts in menu order from File to Help, then the messages,
// the dialog texts and the file filters. A row gives its slot, its key, its built-in text,
// the suffix the menu shows after the text (the "..." of a command that opens a dialog, a
// tab and the shortcut) and when the language file reads its key. The slots of the rows
// that have one run 0-194 in row order, so the built-in texts of `lang_texts` are the rows'
// texts.
//
// The menu tree names its entries' rows: an entry's text is its row's text and suffix, and
// the row's key renames every entry that names it (items by command id, popups by their
// position chain). So the menu the window builds, the default texts and the language
// file's key list all come from here. Where they differ on purpose the rows say so: a row
// the menu does not hold keeps its key (and a command id the key names, or none), a row
// without a key (TXT_) only has its slot, and the six name rows are read after the menu
// keys into their slots, from which the check refresh builds the two order menus.
//
// A second program with a menu of its own builds its tree with the same entry builders
// over these rows (or a row table of its own shaped alike) and derives its key list with
// `lang_keys_for`.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/types.h"
#include "settings/lang_texts.h"
#include "settings/option_model.h"

namespace varn {

// File and Help command ids.
namespace cmd {
inline constexpr u32 kLoadRom         = 33040;
inline constexpr u32 kLoadState       = 33041;
inline constexpr u32 kSaveState       = 33042;
inline constexpr u32 kTogglePause     = 33043;
inline constexpr u32 kReset           = 33801;
inline constexpr u32 kStateSlotFirst  = 33850;  // keys 0-9: 33850-33859
inline constexpr u32 kLoadPatch       = 33861;
inline constexpr u32 kSaveScreenshot  = 33862;
inline constexpr u32 kBootSegaCd      = 33864;
inline constexpr u32 kJoystickSetup   = 33867;  // no handler
inline constexpr u32 kSaveDemo        = 33868;
inline constexpr u32 kLoadDemo        = 33888;
inline constexpr u32 kSaveWaveLog     = 33895;
inline constexpr u32 kHelpDatabase    = 33908;
inline constexpr u32 kAboutKestgen    = 33940;
inline constexpr u32 kAboutKest32x    = 33941;
inline constexpr u32 kAbout           = 57664;
inline constexpr u32 kExit            = 57665;
inline constexpr u32 kAccelLoadRom    = 36001;
inline constexpr u32 kAccelAbout      = 36003;
inline constexpr u32 kAccelSaveState  = 36004;
inline constexpr u32 kAccelLoadState  = 36005;
inline constexpr u32 kAccelWaveLog    = 36007;
inline constexpr u32 kAccelGymLog     = 36008;  // no handler
inline constexpr u32 kAccelMovie      = 36009;  // no handler
inline constexpr u32 kAccelSaveDemo   = 36010;
inline constexpr u32 kAccelScreenshot = 36011;
// Ids that language-file keys name but that the menu holds no item for.
inline constexpr u32 kEnhanceVisibility = 32814;
inline constexpr u32 kAutoPauseMenu     = 33877;
inline constexpr u32 kStatusBar         = 33879;
inline constexpr u32 kSaveGymLog        = 33896;
inline constexpr u32 kSaveMovie         = 33897;
inline constexpr u32 kSmsRedBlue3d      = 33903;
inline constexpr u32 kSmsEnableFm       = 33907;
}  // namespace cmd

// When the language file reads a row's key. The key list reads the rows in four passes, in
// this order, each pass in row order: the menu keys, the name keys, the late menu keys and
// the text keys. A menu key renames the menu entries of its row (with the row's suffix
// appended); a name or text key repoints the row's slot.
enum TextKeyRead : u8 {
    kNoKey       = 0,
    kMenuKey     = 1,
    kNameKey     = 2,
    kLateMenuKey = 4,
    kTextKey     = 8,
};

inline constexpr u32 kNoSlot = 0xFFFFFFFFu;

struct TextRow {
    u32 slot;                 // its slot in `lang_texts`, or kNoSlot
    const char* key;          // the language-file key without its '='; a TXT_ name has none
    const char* text;         // the built-in text
    const char* suffix = "";  // shown after the text in the menu, appended to a replacement
    u8 read            = kMenuKey;
    u32 absent_id      = 0;  // the command id a menu key names that the menu does not hold
};

#define VARN_TEXT_ROW(name) lang::name, #name
inline constexpr auto kTextRows = std::to_array<TextRow>({
    {VARN_TEXT_ROW(MEN_FIL), "File"},
    {VARN_TEXT_ROW(MEN_FIL_LRM), "&Load ROM", "...\tAlt L"},
    {VARN_TEXT_ROW(MEN_FIL_SCD), "Boot S&ega CD"},
    {VARN_TEXT_ROW(MEN_FIL_LST), "L&oad State", "...\tF3"},
    {VARN_TEXT_ROW(MEN_FIL_SST), "&Save State", "...\tF2"},
    {VARN_TEXT_ROW(MEN_FIL_LDM), "Load &Demo", "..."},
    {VARN_TEXT_ROW(MEN_FIL_SDM), "Sa&ve Demo", "...\tF8"},
    {VARN_TEXT_ROW(MEN_FIL_LPT), "Load &Patch", "..."},
    {VARN_TEXT_ROW(MEN_FIL_SSS), "Save S&creenshot", "...\tF9"},
    {VARN_TEXT_ROW(MEN_FIL_SWV), "Save &Wave Log", "...\tF6"},
    {VARN_TEXT_ROW(MEN_FIL_SGD), "Save &GYM/VGM Log", "...\tAlt F6", kMenuKey, cmd::kSaveGymLog},
    {VARN_TEXT_ROW(MEN_FIL_SMV), "Save &Movie", "...\tF7", kMenuKey, cmd::kSaveMovie},
    {VARN_TEXT_ROW(MEN_FIL_EXT), "E&xit", "\tAlt X"},
    {VARN_TEXT_ROW(MEN_CFG), "Config"},
    {VARN_TEXT_ROW(MEN_CFG_FIO), "File IO"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_LSR), "Load System ROM"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_GEN_SR0U), "Genesis", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_S32_SR0U), "32X Master SH2", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_S32_SR1U), "32X Slave SH2", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_S32_SR2U), "32X M68000", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_SCD_SR0U), "Sega CD (U)", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_SCD_SR0E), "Sega CD (E)", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_SCD_SR0J), "Sega CD (J)", "..."},
    {kNoSlot, "MEN_CFG_FIO_SMS_SR0U", "SMS (U)", "..."},
    {kNoSlot, "MEN_CFG_FIO_SMS_SR0E", "SMS (E)", "..."},
    {kNoSlot, "MEN_CFG_FIO_SMS_SR0J", "SMS (J)", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_CDD), "Set Default &CD Drive", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_BRM), "Set &BRM Path", "..."},
    {VARN_TEXT_ROW(MEN_CFG_FIO_UBR), "&Save BRMs in save states"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANGSS), "Autoname saved-states"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANDEM), "Autoname demos"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANPAT), "Autoname patches"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANSHT), "Autoname screenshots"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANWAV), "Autoname waves"},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANVGM), "Autoname GYMs/VGMs", "", kMenuKey, cmd::kAutonameVgm},
    {VARN_TEXT_ROW(MEN_CFG_FIO_ANMOV), "Autoname movies", "", kMenuKey, cmd::kAutonameMovies},
    {VARN_TEXT_ROW(MEN_CFG_GFX), "Graphics"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_FMS), "Frame Skip"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_FMS_A), "Auto"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCR), "Screen Size"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCR_S), "Single", "\tAlt -"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCR_D), "Double", "\tAlt +"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCR_F), "Full Screen", "\tF4"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCL), "Scan Lines"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCL_N), "None"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCL_H), "Half Intensity"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_SCL_B), "Blank Lines"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_FDS), "Force &Display"},
    {VARN_TEXT_ROW(MEN_CFG_GFX_ENV), "&Enhance Visibility", "", kLateMenuKey,
     cmd::kEnhanceVisibility},
    {VARN_TEXT_ROW(MEN_CFG_SND), "Sound"},
    {VARN_TEXT_ROW(MEN_CFG_SND_SPS), "Rate"},
    {VARN_TEXT_ROW(MEN_CFG_SND_2CH), "&Stereo"},
    {VARN_TEXT_ROW(MEN_CFG_SND_ALI), "&Allow Aliasing"},
    {VARN_TEXT_ROW(MEN_CFG_INP), "Input"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL1A), "Player 1a"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL1B), "Player 1b"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL1C), "Player 1c"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL1D), "Player 1d"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL2A), "Player 2a"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL2B), "Player 2b"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL2C), "Player 2c"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PL2D), "Player 2d"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_DSL), "Device select"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_K), "Keyboard"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_J), "Joystick"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_M), "Mouse"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_N), "Network"},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_KEY), "Define &Keys", "..."},
    {VARN_TEXT_ROW(MEN_CFG_INP_PLXX_JOY), "Define &Joystick", "..."},
    {VARN_TEXT_ROW(MEN_CFG_INP_JSC), "&Joystick", "..."},
    {VARN_TEXT_ROW(MEN_CFG_INP_NET), "&Network", "..."},
    {VARN_TEXT_ROW(MEN_CFG_GUI), "GUI"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB), "Frame/Stretch Behavior"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB_SFQ), "Self &adjust"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB_SSQ), "&Static size/Square pixels"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB_SST), "S&tatic size/Stretched"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB_RSQ), "&Resizeable/Square pixels"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB_RSC), "R&esizeable/Custom XY ratio"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_FSB_RST), "Res&izeable/Stretched"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_GNM), "&Game Name Search Order"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_GNM_ROM), "&ROM Namer", "", kNameKey},
    {VARN_TEXT_ROW(MEN_CFG_GUI_GNM_HDR), "&Header", "", kNameKey},
    {VARN_TEXT_ROW(MEN_CFG_GUI_GNM_FIL), "&Filename", "", kNameKey},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM), "Error Messages"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_RVF), "ROM Validity Failure"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_ASP), "Missing WNASPI32.DLL"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_UNR), "Missing UnRAR.DLL"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_ZLB), "Missing ZLib.DLL"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_KGEN), "Missing KestGen.DLL"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_K32X), "Missing Kest32X.DLL"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ERM_KSMS), "Missing KestSMS.DLL"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_APM), "Auto-pause (&Menu)", "", kMenuKey, cmd::kAutoPauseMenu},
    {VARN_TEXT_ROW(MEN_CFG_GUI_APF), "Auto-pause (&Focus)"},
    {VARN_TEXT_ROW(MEN_CFG_GUI_ESB), "Enable &Status Bar", "", kMenuKey, cmd::kStatusBar},
    {VARN_TEXT_ROW(MEN_CFG_MAC), "Machine"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC), "Miscellaneous"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CTR), "Region"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CTR_A), "&Auto Detect"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_ORD), "&Order"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CTR_U), "&USA", "", kMenuKey | kNameKey},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CTR_E), "&Europe", "", kMenuKey | kNameKey},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CTR_J), "&Japan", "", kMenuKey | kNameKey},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CP1), "Port 1"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CP2), "Port 2"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T1A), "Expansion port 1a"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T1B), "Expansion port 1b"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T1C), "Expansion port 1c"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T1D), "Expansion port 1d"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T2A), "Expansion port 2a"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T2B), "Expansion port 2b"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T2C), "Expansion port 2c"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_T2D), "Expansion port 2d"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_EMP), "Empty"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_3BP), "3 button control pad"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_6BP), "6 button control pad"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_SMO), "Sega Mouse"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_STP), "Sega Teamplayer"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_SME), "Sega Menacer"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_KJF), "Konami Justifier"},
    {VARN_TEXT_ROW(TXT_EA_4_WAY), "EA 4 way", "", kNoKey},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_KJF2), "Konami Justifier (2nd Gun)"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_SMS_LPH), "SMS light phaser"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_SMS_SPD), "SMS sports pad"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_MSC_CPX_SMS_PDL), "SMS paddle"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_GEN), "Genesis"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_GEN_USR), "&Use System ROM"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_GEN_Z80), "&Disable Z80"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_GEN_AFC), "&Autofix checksum"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_GEN_SPL), "&Sprite Limit"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_GEN_SQI), "Squash &Interlace"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_S32), "32X"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_S32_USR), "&Use System ROMs"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SCD), "Sega CD"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SCD_32X), "&Enable Sega CD/32X"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SCD_URC), "&Use RAM cartridges"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SCD_RCS), "RAM cartridge size"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SCD_WJF), "&Weird Japanese BIOS fix"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SMS), "SMS"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SMS_USR), "&Use System ROM"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SMS_VDP), "&VDP"},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SMS_EFM), "Enable &FM", "", kMenuKey, cmd::kSmsEnableFm},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SMS_RB3), "&Red/Blue 3D", "", kMenuKey, cmd::kSmsRedBlue3d},
    {VARN_TEXT_ROW(MEN_CFG_MAC_SMS_SPL), "&Sprite Limit"},
    {VARN_TEXT_ROW(MEN_HLP), "Help"},
    {VARN_TEXT_ROW(TXT_HELP_DATABASE), "&Radazar Ezevorarir", "", kNoKey},
    {VARN_TEXT_ROW(MEN_HLP_ABT_KGEN), "About KestG&en.DLL", "..."},
    {VARN_TEXT_ROW(MEN_HLP_ABT_K32X), "About Kest&32X.DLL", "..."},
    {VARN_TEXT_ROW(MEN_HLP_ABT), "&About VARN", "...\tF1"},
    // The messages (145-174) and the dialog texts (175-184): their keys are read last.
    {VARN_TEXT_ROW(ERM_SYS_MMX), "VARN requires MMX.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_ASP),
     "Missing WNASPI32.DLL.  You will not be able to use your CD-ROM(s).", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_UNR), "Missing UNRAR.DLL.  You will not be able to use RAR'd files.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_ZLB), "Missing ZLIB.DLL.  You will not be able to use ZIP'd files.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_KGEN), "Missing KestGen.DLL.  VARN won't be able identify Genesis ROMs.",
     "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_K32X), "Missing Kest32X.DLL.  VARN won't be able identify 32X ROMs.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_KSMS), "Missing KestSMS.DLL.  VARN won't be able identify SMS ROMs.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_LMT), "Load type and/or Load mode could not be determined.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_RVF), "Warning: file failed validity tests.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_COF), "Couldn't open file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_NF), "not found.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_IP), "Invalid patch.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_CDD), "Choose a default CD drive first.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_SOB), "Requested sector is out of bounds.", "", kTextKey},
    {VARN_TEXT_ROW(TXT_STATE_LOAD_FAILED), "Error loading state, file is damaged or invalid.", "",
     kNoKey},
    {VARN_TEXT_ROW(ERM_FIO_SHT), "Can't save PNG files without ZLIB.DLL.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_DEM1), "Can't record demo file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_WAV1), "Can't record wave file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_VGM1), "Can't record GYM/VGM file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_MOV1), "Can't record movie file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_DEM2), "You are already recording a demo file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_WAV2), "You are already recording a wave file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_VGM2), "You are already recording a GYM/VGM file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_REC_MOV2), "You are already recording a movie file.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_FIO_SCD_32X),
     "You must enable the 32X system ROMs to play Sega CD/32X games.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_GFX_DX), "You must have DirectX installed.", "", kTextKey},
    {VARN_TEXT_ROW(ERM_GFX_N16_1),
     "VARN requires 16-Bit color for windowed modes.  You will only be able to use fullscreen "
     "mode.",
     "", kTextKey},
    {VARN_TEXT_ROW(ERM_GFX_N16_2), "VARN is paused until you return to fullscreen mode.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_INP_DI), "DirectInput not initialized.  Executing in watch-only mode.", "",
     kTextKey},
    {VARN_TEXT_ROW(ERM_INP_JOY), "Could not initialize joystick.", "", kTextKey},
    {VARN_TEXT_ROW(DBX_ABT), "About Varn", "", kTextKey},
    {VARN_TEXT_ROW(DBX_ABT_WRB), "Written by", "", kTextKey},
    {VARN_TEXT_ROW(DBX_ABT_TRB), "Translated by <YOUR NAME HERE>", "", kTextKey},
    {VARN_TEXT_ROW(DBX_ABT_TRU), "<YOUR URL HERE>", "", kTextKey},
    {VARN_TEXT_ROW(DBX_FIO_BRM), "Set BRM Path", "", kTextKey},
    {VARN_TEXT_ROW(DBX_FIO_CDD), "CD Drive Chooser", "", kTextKey},
    {VARN_TEXT_ROW(DBX_FIO_FSD), "Load File", "", kTextKey},
    {VARN_TEXT_ROW(DBX_FIO_FSD_FOT), "Files of type", "", kTextKey},
    {VARN_TEXT_ROW(DBX_INP_DEF), "Define Input", "", kTextKey},
    {VARN_TEXT_ROW(DBX_INP_DEF_CHG), "Change", "", kTextKey},
    // The file filters of the Load ROM dialog, {description, pattern} for filters 1-5.
    {VARN_TEXT_ROW(TXT_FILTER_GENESIS_DESC), "Genesis ROM (*.BIN;*.SMD;*.MD;*.GEN)", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_GENESIS_PATTERN), "*.BIN;*.SMD;*.MD;*.GEN", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_32X_DESC), "32X ROM (*.32X)", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_32X_PATTERN), "*.32X", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_SEGA_CD_DESC), "Sega CD Image (*.ISO;*.BIN;*.RAW)", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_SEGA_CD_PATTERN), "*.ISO;*.BIN;*.RAW", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_CUE_DESC), "Sega CD Image Cuesheet (*.CUE)", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_CUE_PATTERN), "*.CUE", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_SMS_DESC), "Sega Master System ROM (*.SMS)", "", kNoKey},
    {VARN_TEXT_ROW(TXT_FILTER_SMS_PATTERN), "*.SMS", "", kNoKey},
});
#undef VARN_TEXT_ROW

inline constexpr u16 kNoRow = 0xFFFF;

// The row of a key (or TXT_ name) in `rows`; a name that no row has does not compile.
consteval u16 text_row(std::string_view key, std::span<const TextRow> rows = kTextRows) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (std::string_view(rows[i].key) == key) return static_cast<u16>(i);
    throw "no text row has this key";
}

// One entry of a menu tree: a popup, a command item or a separator. A '&' in the text marks
// the mnemonic and a tab separates the text from the shortcut it shows.
struct MenuEntry {
    enum class Kind : u8 { kItem, kPopup, kSeparator };
    Kind kind = Kind::kItem;
    std::string text;  // item or popup title; empty for a separator
    u32 id = 0;        // command id of an item
    std::vector<MenuEntry> children;
    u16 row    = kNoRow;  // the text row the entry's text comes from
    bool keyed = true;    // whether the row's key renames the entry
};

// Entry builders over a row table (`kTextRows` unless given).
namespace menu {
// An item with its row's text and suffix, or with `text` in their place.
MenuEntry item(u16 row, u32 id, std::span<const TextRow> rows = kTextRows);
MenuEntry item(u16 row, u32 id, std::string_view text);
// An item showing its row's text that the row's key does not rename: the check refresh
// writes its text.
MenuEntry named(u16 row, u32 id, std::span<const TextRow> rows = kTextRows);
// An item or popup without a row: its text is fixed.
MenuEntry plain(std::string_view text, u32 id);
MenuEntry popup(u16 row, std::vector<MenuEntry> children,
                std::span<const TextRow> rows = kTextRows);
MenuEntry plain_popup(std::string_view text, std::vector<MenuEntry> children);
MenuEntry separator();
}  // namespace menu

// The menu bar: File, Config, Help.
const std::vector<MenuEntry>& main_menu_entries();

}  // namespace varn
