#include "settings/lang_file.h"

#include <string>

#include "settings/ini_file.h"
#include "settings/text_helpers.h"

namespace varn {

namespace {

// Menu bar positions and those of the Config popup's entries.
constexpr u32 kFile = 0, kConfig = 1, kHelp = 2;
constexpr u32 kFileIo = 0, kGraphics = 1, kSound = 2, kInput = 3, kGui = 4, kMachine = 6;

class KeyList {
  public:
    void commands(const char* name, std::vector<u32> ids, const char* suffix = "") {
        keys_.push_back({name, std::move(ids), {}, -1, suffix});
    }
    void popup(const char* name, std::vector<u32> path) {
        keys_.push_back({name, {}, {std::move(path)}, -1, ""});
    }
    void popups(const char* name, std::vector<std::vector<u32>> paths) {
        keys_.push_back({name, {}, std::move(paths), -1, ""});
    }
    void slot(const char* name, lang::Slot s) { keys_.push_back({name, {}, {}, int(s), ""}); }
    // A key that is read and reaches nothing.
    void none(const char* name) { keys_.push_back({name, {}, {}, -1, ""}); }
    std::vector<LangKey> take() { return std::move(keys_); }

  private:
    std::vector<LangKey> keys_;
};

// Eight ids first, first + step, ...
std::vector<u32> eight(u32 first, u32 step = 10) {
    std::vector<u32> ids;
    for (u32 i = 0; i < 8; ++i) ids.push_back(first + i * step);
    return ids;
}

std::vector<LangKey> build_keys() {
    KeyList k;
    k.popup("MEN_FIL", {kFile});
    k.commands("MEN_FIL_LRM", {33040}, "...\tAlt L");
    k.commands("MEN_FIL_SCD", {33864});
    k.commands("MEN_FIL_LST", {33041}, "...\tF3");
    k.commands("MEN_FIL_SST", {33042}, "...\tF2");
    k.commands("MEN_FIL_LDM", {33888}, "...");
    k.commands("MEN_FIL_SDM", {33868}, "...\tF8");
    k.commands("MEN_FIL_LPT", {33861}, "...");
    k.commands("MEN_FIL_SSS", {33862}, "...\tF9");
    k.commands("MEN_FIL_SWV", {33895}, "...\tF6");
    k.commands("MEN_FIL_SGD", {33896}, "...\tAlt F6");
    k.commands("MEN_FIL_SMV", {33897}, "...\tF7");
    k.commands("MEN_FIL_EXT", {57665}, "\tAlt X");

    k.popup("MEN_CFG", {kConfig});
    k.popup("MEN_CFG_FIO", {kConfig, kFileIo});
    k.popup("MEN_CFG_FIO_LSR", {kConfig, kFileIo, 0});
    static constexpr const char* kRomKeys[] = {"MEN_CFG_FIO_GEN_SR0U", "MEN_CFG_FIO_S32_SR0U",
                                               "MEN_CFG_FIO_S32_SR1U", "MEN_CFG_FIO_S32_SR2U",
                                               "MEN_CFG_FIO_SCD_SR0U", "MEN_CFG_FIO_SCD_SR0E",
                                               "MEN_CFG_FIO_SCD_SR0J", "MEN_CFG_FIO_SMS_SR0U",
                                               "MEN_CFG_FIO_SMS_SR0E", "MEN_CFG_FIO_SMS_SR0J"};
    for (u32 i = 0; i < 10; ++i) k.commands(kRomKeys[i], {32771 + i}, "...");
    k.commands("MEN_CFG_FIO_CDD", {33860}, "...");
    k.commands("MEN_CFG_FIO_BRM", {32770}, "...");
    k.commands("MEN_CFG_FIO_UBR", {32787});
    k.commands("MEN_CFG_FIO_ANGSS", {33881});
    k.commands("MEN_CFG_FIO_ANDEM", {33884});
    k.commands("MEN_CFG_FIO_ANPAT", {33882});
    k.commands("MEN_CFG_FIO_ANSHT", {33883});
    k.commands("MEN_CFG_FIO_ANWAV", {33885});
    k.commands("MEN_CFG_FIO_ANVGM", {33886});
    k.commands("MEN_CFG_FIO_ANMOV", {33887});

    k.popup("MEN_CFG_GFX", {kConfig, kGraphics});
    k.popup("MEN_CFG_GFX_FMS", {kConfig, kGraphics, 0});
    k.commands("MEN_CFG_GFX_FMS_A", {32790});
    k.popup("MEN_CFG_GFX_SCR", {kConfig, kGraphics, 1});
    k.commands("MEN_CFG_GFX_SCR_S", {32795}, "\tAlt -");
    k.commands("MEN_CFG_GFX_SCR_D", {32796}, "\tAlt +");
    k.commands("MEN_CFG_GFX_SCR_F", {32797}, "\tF4");
    k.popup("MEN_CFG_GFX_SCL", {kConfig, kGraphics, 2});
    k.commands("MEN_CFG_GFX_SCL_N", {32798});
    k.commands("MEN_CFG_GFX_SCL_H", {32799});
    k.commands("MEN_CFG_GFX_SCL_B", {32800});
    k.commands("MEN_CFG_GFX_FDS", {32813});

    k.popup("MEN_CFG_SND", {kConfig, kSound});
    k.popup("MEN_CFG_SND_SPS", {kConfig, kSound, 0});
    k.commands("MEN_CFG_SND_2CH", {32820});
    k.commands("MEN_CFG_SND_ALI", {32839});

    k.popup("MEN_CFG_INP", {kConfig, kInput});
    static constexpr const char* kPlayers[] = {
        "MEN_CFG_INP_PL1A", "MEN_CFG_INP_PL1B", "MEN_CFG_INP_PL1C", "MEN_CFG_INP_PL1D",
        "MEN_CFG_INP_PL2A", "MEN_CFG_INP_PL2B", "MEN_CFG_INP_PL2C", "MEN_CFG_INP_PL2D"};
    std::vector<std::vector<u32>> device_select;
    for (u32 p = 0; p < 8; ++p) {
        k.popup(kPlayers[p], {kConfig, kInput, p});
        device_select.push_back({kConfig, kInput, p, 0});
    }
    k.popups("MEN_CFG_INP_PLXX_DSL", std::move(device_select));
    k.commands("MEN_CFG_INP_PLXX_K", eight(32850));
    k.commands("MEN_CFG_INP_PLXX_J", eight(32851));
    k.commands("MEN_CFG_INP_PLXX_M", eight(32852));
    k.commands("MEN_CFG_INP_PLXX_N", eight(32853));
    k.commands("MEN_CFG_INP_PLXX_KEY", eight(32854), "...");
    k.commands("MEN_CFG_INP_PLXX_JOY", eight(32855), "...");
    k.commands("MEN_CFG_INP_JSC", {33867}, "...");
    k.commands("MEN_CFG_INP_NET", {32930}, "...");

    k.popup("MEN_CFG_GUI", {kConfig, kGui});
    k.popup("MEN_CFG_GUI_FSB", {kConfig, kGui, 0});
    static constexpr const char* kStretch[] = {"MEN_CFG_GUI_FSB_SFQ", "MEN_CFG_GUI_FSB_SSQ",
                                               "MEN_CFG_GUI_FSB_SST", "MEN_CFG_GUI_FSB_RSQ",
                                               "MEN_CFG_GUI_FSB_RSC", "MEN_CFG_GUI_FSB_RST"};
    for (u32 i = 0; i < 6; ++i) k.commands(kStretch[i], {33910 + i});
    k.popup("MEN_CFG_GUI_GNM", {kConfig, kGui, 1});
    k.popup("MEN_CFG_GUI_ERM", {kConfig, kGui, 2});
    static constexpr const char* kErrors[] = {"MEN_CFG_GUI_ERM_RVF",  "MEN_CFG_GUI_ERM_ASP",
                                              "MEN_CFG_GUI_ERM_UNR",  "MEN_CFG_GUI_ERM_ZLB",
                                              "MEN_CFG_GUI_ERM_KGEN", "MEN_CFG_GUI_ERM_K32X",
                                              "MEN_CFG_GUI_ERM_KSMS"};
    for (u32 i = 0; i < 7; ++i) k.commands(kErrors[i], {33869 + i});
    k.commands("MEN_CFG_GUI_APM", {33877});
    k.commands("MEN_CFG_GUI_APF", {33878});
    k.commands("MEN_CFG_GUI_ESB", {33879});

    k.popup("MEN_CFG_MAC", {kConfig, kMachine});
    k.popup("MEN_CFG_MAC_MSC", {kConfig, kMachine, 0});
    k.popup("MEN_CFG_MAC_MSC_CTR", {kConfig, kMachine, 0, 0});
    k.commands("MEN_CFG_MAC_MSC_CTR_A", {32941});
    k.popup("MEN_CFG_MAC_MSC_ORD", {kConfig, kMachine, 0, 0, 1});
    k.commands("MEN_CFG_MAC_MSC_CTR_U", {32945});
    k.commands("MEN_CFG_MAC_MSC_CTR_E", {32947});
    k.commands("MEN_CFG_MAC_MSC_CTR_J", {32946});
    k.popup("MEN_CFG_MAC_MSC_CP1", {kConfig, kMachine, 0, 1});
    k.popup("MEN_CFG_MAC_MSC_CP2", {kConfig, kMachine, 0, 2});
    static constexpr const char* kTaps[] = {
        "MEN_CFG_MAC_MSC_T1A", "MEN_CFG_MAC_MSC_T1B", "MEN_CFG_MAC_MSC_T1C", "MEN_CFG_MAC_MSC_T1D",
        "MEN_CFG_MAC_MSC_T2A", "MEN_CFG_MAC_MSC_T2B", "MEN_CFG_MAC_MSC_T2C", "MEN_CFG_MAC_MSC_T2D"};
    for (u32 i = 0; i < 8; ++i) k.popup(kTaps[i], {kConfig, kMachine, 0, 4 + i});
    k.commands("MEN_CFG_MAC_MSC_CPX_EMP",
               {32950, 32961, 33810, 33814, 33819, 33823, 33827, 33831, 33836, 33840});
    k.commands("MEN_CFG_MAC_MSC_CPX_3BP",
               {32951, 32962, 33811, 33815, 33820, 33824, 33828, 33832, 33837, 33841});
    k.commands("MEN_CFG_MAC_MSC_CPX_6BP",
               {32952, 32963, 33812, 33816, 33821, 33825, 33829, 33833, 33838, 33842});
    k.commands("MEN_CFG_MAC_MSC_CPX_SMO",
               {32953, 32964, 33813, 33817, 33822, 33826, 33830, 33834, 33839, 33843});
    k.commands("MEN_CFG_MAC_MSC_CPX_STP", {32955, 32966});
    k.commands("MEN_CFG_MAC_MSC_CPX_SME", {32954, 32965});
    k.commands("MEN_CFG_MAC_MSC_CPX_KJF", {32956, 32967});
    k.commands("MEN_CFG_MAC_MSC_CPX_KJF2", {33818, 33835});
    k.commands("MEN_CFG_MAC_MSC_CPX_SMS_LPH", {32958, 32969});
    k.commands("MEN_CFG_MAC_MSC_CPX_SMS_SPD", {32959, 32970});
    k.commands("MEN_CFG_MAC_MSC_CPX_SMS_PDL", {32960, 32971});
    k.popup("MEN_CFG_MAC_GEN", {kConfig, kMachine, 1});
    k.commands("MEN_CFG_MAC_GEN_USR", {33806});
    k.commands("MEN_CFG_MAC_GEN_Z80", {32972});
    k.commands("MEN_CFG_MAC_GEN_AFC", {32973});
    k.commands("MEN_CFG_MAC_GEN_SPL", {32974});
    k.commands("MEN_CFG_MAC_GEN_SQI", {32975});
    k.popup("MEN_CFG_MAC_S32", {kConfig, kMachine, 2});
    k.commands("MEN_CFG_MAC_S32_USR", {32976});
    k.popup("MEN_CFG_MAC_SCD", {kConfig, kMachine, 3});
    k.commands("MEN_CFG_MAC_SCD_32X", {33898});
    k.commands("MEN_CFG_MAC_SCD_URC", {33863});
    k.popup("MEN_CFG_MAC_SCD_RCS", {kConfig, kMachine, 3, 2});
    k.commands("MEN_CFG_MAC_SCD_WJF", {33930});
    k.popup("MEN_CFG_MAC_SMS", {kConfig, kMachine, 4});
    k.commands("MEN_CFG_MAC_SMS_USR", {33849});
    // The SMS popup has no VDP entry: its position 1 is the Sprite Limit item, which keeps
    // its own key below, so this key names nothing.
    k.none("MEN_CFG_MAC_SMS_VDP");
    k.commands("MEN_CFG_MAC_SMS_EFM", {33907});
    k.commands("MEN_CFG_MAC_SMS_RB3", {33903});
    k.commands("MEN_CFG_MAC_SMS_SPL", {32977});

    k.popup("MEN_HLP", {kHelp});
    k.commands("MEN_HLP_ABT_KGEN", {33940}, "...");
    k.commands("MEN_HLP_ABT_K32X", {33941}, "...");
    k.commands("MEN_HLP_ABT", {57664}, "...\tF1");

    // The names the order menus are built from.
    k.slot("MEN_CFG_GUI_GNM_ROM", lang::MEN_CFG_GUI_GNM_ROM);
    k.slot("MEN_CFG_GUI_GNM_HDR", lang::MEN_CFG_GUI_GNM_HDR);
    k.slot("MEN_CFG_GUI_GNM_FIL", lang::MEN_CFG_GUI_GNM_FIL);
    k.slot("MEN_CFG_MAC_MSC_CTR_U", lang::MEN_CFG_MAC_MSC_CTR_U);
    k.slot("MEN_CFG_MAC_MSC_CTR_E", lang::MEN_CFG_MAC_MSC_CTR_E);
    k.slot("MEN_CFG_MAC_MSC_CTR_J", lang::MEN_CFG_MAC_MSC_CTR_J);
    k.commands("MEN_CFG_GFX_ENV", {32814});

    // Messages and dialog texts: every slot from 145 to 184 but the state-load message,
    // which has no key.
    static constexpr struct {
        const char* name;
        lang::Slot slot;
    } kSlotKeys[] = {
        {"ERM_SYS_MMX", lang::ERM_SYS_MMX},
        {"ERM_FIO_ASP", lang::ERM_FIO_ASP},
        {"ERM_FIO_UNR", lang::ERM_FIO_UNR},
        {"ERM_FIO_ZLB", lang::ERM_FIO_ZLB},
        {"ERM_FIO_KGEN", lang::ERM_FIO_KGEN},
        {"ERM_FIO_K32X", lang::ERM_FIO_K32X},
        {"ERM_FIO_KSMS", lang::ERM_FIO_KSMS},
        {"ERM_FIO_LMT", lang::ERM_FIO_LMT},
        {"ERM_FIO_RVF", lang::ERM_FIO_RVF},
        {"ERM_FIO_COF", lang::ERM_FIO_COF},
        {"ERM_FIO_NF", lang::ERM_FIO_NF},
        {"ERM_FIO_IP", lang::ERM_FIO_IP},
        {"ERM_FIO_CDD", lang::ERM_FIO_CDD},
        {"ERM_FIO_SOB", lang::ERM_FIO_SOB},
        {"ERM_FIO_SHT", lang::ERM_FIO_SHT},
        {"ERM_FIO_REC_DEM1", lang::ERM_FIO_REC_DEM1},
        {"ERM_FIO_REC_WAV1", lang::ERM_FIO_REC_WAV1},
        {"ERM_FIO_REC_VGM1", lang::ERM_FIO_REC_VGM1},
        {"ERM_FIO_REC_MOV1", lang::ERM_FIO_REC_MOV1},
        {"ERM_FIO_REC_DEM2", lang::ERM_FIO_REC_DEM2},
        {"ERM_FIO_REC_WAV2", lang::ERM_FIO_REC_WAV2},
        {"ERM_FIO_REC_VGM2", lang::ERM_FIO_REC_VGM2},
        {"ERM_FIO_REC_MOV2", lang::ERM_FIO_REC_MOV2},
        {"ERM_FIO_SCD_32X", lang::ERM_FIO_SCD_32X},
        {"ERM_GFX_DX", lang::ERM_GFX_DX},
        {"ERM_GFX_N16_1", lang::ERM_GFX_N16_1},
        {"ERM_GFX_N16_2", lang::ERM_GFX_N16_2},
        {"ERM_INP_DI", lang::ERM_INP_DI},
        {"ERM_INP_JOY", lang::ERM_INP_JOY},
        {"DBX_ABT", lang::DBX_ABT},
        {"DBX_ABT_WRB", lang::DBX_ABT_WRB},
        {"DBX_ABT_TRB", lang::DBX_ABT_TRB},
        {"DBX_ABT_TRU", lang::DBX_ABT_TRU},
        {"DBX_FIO_BRM", lang::DBX_FIO_BRM},
        {"DBX_FIO_CDD", lang::DBX_FIO_CDD},
        {"DBX_FIO_FSD", lang::DBX_FIO_FSD},
        {"DBX_FIO_FSD_FOT", lang::DBX_FIO_FSD_FOT},
        {"DBX_INP_DEF", lang::DBX_INP_DEF},
        {"DBX_INP_DEF_CHG", lang::DBX_INP_DEF_CHG},
    };
    for (const auto& s : kSlotKeys) k.slot(s.name, s.slot);
    return k.take();
}

}  // namespace

std::span<const LangKey> lang_keys() {
    static const std::vector<LangKey> keys = build_keys();
    return keys;
}

void lang_apply(std::string_view text, MenuView& menu) {
    text = text.substr(0, kIniReadLimit);
    for (const LangKey& key : lang_keys()) {
        const int at = text_find(text, std::string(key.name) + "=");
        if (at < 0) continue;
        const std::string_view suffix(key.suffix);
        std::string value =
            text_copy_line(text.substr(static_cast<std::size_t>(at)), kLangTextMax - suffix.size());
        if (key.slot >= 0) {
            lang_set_text(static_cast<lang::Slot>(key.slot), value);
            continue;
        }
        for (const auto& path : key.popups) menu.set_text_at(path, value);
        value += suffix;
        for (u32 id : key.commands) menu.set_text(id, value);
    }
}

bool lang_load(const std::filesystem::path& file, MenuView& menu) {
    std::string bytes, error;
    if (!read_file_prefix(file, kIniReadLimit, bytes, error)) return false;
    lang_file_loaded = 1;
    lang_apply(bytes, menu);
    return true;
}

}  // namespace varn
