| Battery-RAM cartridge: the header announces static RAM at 0x200001-0x203FFF. The program
| fills the first 16 bytes of the window, reads them back into work RAM, then switches the
| window off through 0xA130F1 and records what the same address shows (cartridge ROM).
| Results in work RAM at 0xFF0000:
|   +0x00  16 bytes read back from the window
|   +0x10  byte at 0x200001 with the window off
|   +0x11  byte at 0x200001 with the window on again
|   +0x12  0xA130F1 as read back
|   +0x1F  0x99 when the program ran to its end
        .org    0
        .long   0x00FFFE00              | initial supervisor stack pointer
        .long   start                   | initial program counter
        .org    0x100
        .ascii  "SEGA GENESIS    "
        .org    0x1B0
        .ascii  "RA"
        .byte   0xF8, 0x20
        .long   0x00200001              | first save address
        .long   0x00203FFF              | last save address
        .org    0x200
start:  move.b  #1, 0xA130F1            | window on
        lea     pattern, %a0
        lea     0x200001, %a1
        move.w  #15, %d0
fill:   move.b  (%a0)+, (%a1)+
        dbra    %d0, fill
        lea     0x200001, %a0
        lea     0xFF0000, %a1
        move.w  #15, %d0
copy:   move.b  (%a0)+, (%a1)+
        dbra    %d0, copy
        move.b  #0, 0xA130F1            | window off: the ROM shows through
        move.b  0x200001, 0xFF0010
        move.b  #0x55, 0x200001         | ignored while off
        move.b  #1, 0xA130F1
        move.b  0x200001, 0xFF0011
        move.b  0xA130F1, 0xFF0012
        move.b  #0x99, 0xFF001F
done:   bra.s   done

pattern:                                | 0x40 + 3 * i
        .byte   0x40, 0x43, 0x46, 0x49, 0x4C, 0x4F, 0x52, 0x55
        .byte   0x58, 0x5B, 0x5E, 0x61, 0x64, 0x67, 0x6A, 0x6D
        .org    0x200000
        .byte   0xAB, 0xCD              | ROM under the window
