// The language reader on arbitrary bytes: every text it hands to the menu or puts in the
// table stays within 255 bytes and ends at its line end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "settings/lang_file.h"
#include "settings/lang_texts.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool one_line(std::string_view text) {
    return text.size() <= varn::kLangTextMax && text.find_first_of("\r\n") == text.npos;
}

class CheckingMenu : public varn::MenuView {
  public:
    bool set_checked(varn::u32, bool) override { return true; }
    bool set_text(varn::u32, std::string_view text) override {
        check(one_line(text));
        return true;
    }
    bool set_text_at(std::span<const varn::u32> path, std::string_view text) override {
        check(!path.empty() && one_line(text));
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varn;
    static CheckingMenu menu;
    lang_texts_reset();
    lang_apply(std::string_view(reinterpret_cast<const char*>(data), size), menu);
    for (const char* text : lang_texts) check(text && one_line(text));
    return 0;
}
