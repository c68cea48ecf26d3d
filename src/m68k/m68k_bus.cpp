#include "m68k/m68k_bus.h"

namespace varn {

namespace {

template <class Table, class Fn>
constexpr Table filled(Fn fn) {
    Table t{};
    t.fill(fn);
    return t;
}

}  // namespace

M68kReadTable m68k_page_read_byte   = filled<M68kReadTable>(&m68k_unmapped_read);
M68kReadTable m68k_page_read_word   = filled<M68kReadTable>(&m68k_unmapped_read);
M68kReadTable m68k_page_read_long   = filled<M68kReadTable>(&m68k_unmapped_read);
M68kWriteTable m68k_page_write_byte = filled<M68kWriteTable>(&m68k_unmapped_write);
M68kWriteTable m68k_page_write_word = filled<M68kWriteTable>(&m68k_unmapped_write);
M68kWriteTable m68k_page_write_long = filled<M68kWriteTable>(&m68k_unmapped_write);

S68kReadTable s68k_page_read_byte   = filled<S68kReadTable>(&m68k_unmapped_read);
S68kReadTable s68k_page_read_word   = filled<S68kReadTable>(&m68k_unmapped_read);
S68kReadTable s68k_page_read_long   = filled<S68kReadTable>(&m68k_unmapped_read);
S68kWriteTable s68k_page_write_byte = filled<S68kWriteTable>(&m68k_unmapped_write);
S68kWriteTable s68k_page_write_word = filled<S68kWriteTable>(&m68k_unmapped_write);
S68kWriteTable s68k_page_write_long = filled<S68kWriteTable>(&m68k_unmapped_write);

bool (*m68k_steady_read)(u32 addr, u32 size) = nullptr;

void m68k_bus_clear() {
    m68k_steady_read = nullptr;
    for (auto* t : {&m68k_page_read_byte, &m68k_page_read_word, &m68k_page_read_long})
        t->fill(&m68k_unmapped_read);
    for (auto* t : {&m68k_page_write_byte, &m68k_page_write_word, &m68k_page_write_long})
        t->fill(&m68k_unmapped_write);
    for (auto* t : {&s68k_page_read_byte, &s68k_page_read_word, &s68k_page_read_long})
        t->fill(&m68k_unmapped_read);
    for (auto* t : {&s68k_page_write_byte, &s68k_page_write_word, &s68k_page_write_long})
        t->fill(&m68k_unmapped_write);
}

}  // namespace varn
