#include "genesis/bus/io_ports.h"

#include "genesis/bus/bus_pages.h"
#include "genesis/bus/pad_timeout.h"

namespace varn {

IoPortRegs io_port_regs{{0xFF, 0xFF, 0xFF}, {0, 0, 0}, {}};
u8 (*io_port_device_read)(u32 port)              = nullptr;
void (*io_port_device_write)(u32 port, u8 lines) = nullptr;
u8 (*io_version_bits)()                          = nullptr;

void io_ports_power_on() { io_port_regs = IoPortRegs{{0xFF, 0xFF, 0xFF}, {0, 0, 0}, {}}; }

void io_ports_save(u8 (&out)[kIoPortStateBytes]) {
    u32 i = 0;
    for (u8 b : io_port_regs.data) out[i++] = b;
    for (u8 b : io_port_regs.control) out[i++] = b;
    for (u8 b : io_port_regs.serial) out[i++] = b;
}

void io_ports_load(const u8 (&in)[kIoPortStateBytes]) {
    u32 i = 0;
    for (u8& b : io_port_regs.data) b = in[i++];
    for (u8& b : io_port_regs.control) b = in[i++];
    for (u8& b : io_port_regs.serial) b = in[i++];
}

namespace {

u8 version() { return io_version_bits ? (io_version_bits() & 0xC0) : 0; }

// Port 0 or 1: the device's inputs merged with the latch on the output bits.
u8 port_data(u32 port) {
    const u8 ctrl   = io_port_regs.control[port];
    const u8 device = io_port_device_read ? io_port_device_read(port) : kIoPortNoDevice;
    return static_cast<u8>((device & ~ctrl) | (io_port_regs.data[port] & ctrl));
}

void write_port_data(u32 port, u32 value) {
    io_port_regs.data[port] = static_cast<u8>(value);
    pad_timeout_restart(port);
    const u8 ctrl = io_port_regs.control[port];
    if (io_port_device_write) io_port_device_write(port, static_cast<u8>((value & ctrl) | ~ctrl));
}

void write_port3_control(u32 value) {
    io_port_regs.control[2] = static_cast<u8>(value);
    io_port_regs.data[2] |= static_cast<u8>(~value);
}

// Registers sit on the odd bytes; `reg` is (address & 0x1F) >> 1.
u32 read_register(u32 reg) {
    switch (reg) {
        case 0:
            return version();
        case 1:
            return port_data(0);
        case 2:
            return port_data(1);
        case 3:
            return 0xFF;  // expansion port data
        case 4:
            return io_port_regs.control[0];
        case 5:
            return io_port_regs.control[1];
        case 6:
            return io_port_regs.control[2];
        default:
            return 0;  // serial-interface registers read 0
    }
}

constexpr u32 kPageRegisterEnd = 0xA10020;

u32 io_read_byte(u32 a) {
    if (a >= kPageRegisterEnd || (a & 1) == 0) return a;
    return read_register((a & 0x1F) >> 1);
}

u32 io_read_word(u32 a) {
    if (a >= kPageRegisterEnd) return a;
    return read_register((a & 0x1F) >> 1);
}

u32 io_read_long(u32 a) {
    a &= ~1u;
    if (a >= kPageRegisterEnd) return a;
    if (a == 0xA10000) return version();
    const u32 high = read_register((a & 0x1F) >> 1);
    const u32 low  = a + 2 < kPageRegisterEnd ? read_register(((a + 2) & 0x1F) >> 1) : 0;
    return high << 16 | low;
}

// Writes register `index` (the address's pair within the block). A control register takes
// the new direction; a byte write also sends the data byte again so the device sees it,
// a word write stores the direction only.
void write_register(u32 index, u32 v, bool byte_write) {
    switch (index) {
        case 1:
        case 2:
            write_port_data(index - 1, v & 0xFF);
            break;
        case 4:
        case 5: {
            const u32 port             = index - 4;
            io_port_regs.control[port] = static_cast<u8>(v);
            if (byte_write) write_port_data(port, io_port_regs.data[port]);
            break;
        }
        case 6:
            write_port3_control(v & 0xFF);
            break;
        default:
            break;
    }
}

void io_write_byte(u32 a, u32 v) {
    if (a >= kPageRegisterEnd || (a & 1) == 0) return;
    write_register((a & 0x1F) >> 1, v, true);
}

// A word write acts on the odd byte of the pair.
void io_write_word(u32 a, u32 v) {
    if (a >= kPageRegisterEnd) return;
    write_register((a & 0x1F) >> 1, v, false);
}

void io_write_long(u32 a, u32 v) {
    a &= ~1u;
    if (a >= kPageRegisterEnd) return;
    io_write_word(a, v >> 16);
    if (a + 2 < kPageRegisterEnd) io_write_word(a + 2, v);
}

}  // namespace

const M68kHandlerSet m68k_io_port_set{io_read_byte,  io_read_word,  io_read_long,
                                      io_write_byte, io_write_word, io_write_long};

}  // namespace varn
