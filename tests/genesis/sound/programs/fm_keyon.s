| Sound test cartridge: YM2612 channel 1 keyed on with one sine carrier (algorithm 7,
| operator S1 only, TL 8, F-number 0x28D block 4: about 265 Hz) and held; the PSG is
| silenced. The register writes are the table at 0x400 (a count, then register and data
| pairs for bank I), so a test can also replay them on the chip directly.

| Exception vectors and cartridge header.
        .text
        .org    0
        .long   0x00FFFE00              | initial supervisor stack pointer (work RAM)
        .long   start                   | reset: initial program counter
        .rept   62
        .long   ignore                  | every other exception and interrupt returns
        .endr

        .org    0x100
        .ascii  "SEGA MEGA DRIVE "      | system
        .ascii  "(C)VARN 2026.DEC"      | copyright and date
        .org    0x120, 0x20
        .ascii  "FM KEY-ON CHANNEL 1" | domestic name
        .org    0x150, 0x20
        .ascii  "FM KEY-ON CHANNEL 1" | overseas name
        .org    0x180, 0x20
        .ascii  "GM 00000000-00"        | serial
        .word   0                       | checksum (not checked)
        .ascii  "J"                     | I/O: pad
        .org    0x1A0, 0x20
        .long   0, rom_end - 1          | ROM range
        .long   0x00FF0000, 0x00FFFFFF  | RAM range
        .org    0x1F0, 0x20
        .ascii  "JUE"                   | regions
        .org    0x200, 0x20

ignore: rte


| Only moves, address loads and branches: the program needs nothing else of the 68000.
start:  move.b  #0x9F,0xC00011          | PSG silent
        move.b  #0xBF,0xC00011
        move.b  #0xDF,0xC00011
        move.b  #0xFF,0xC00011
        | The 68000 reaches the YM2612 only while it holds the Z80 bus; the Z80 reset
        | line must be released, as it also holds the YM2612 in reset.
        move.w  #0x0100,0xA11100        | request the Z80 bus
        move.w  #0x0100,0xA11200        | release the Z80 reset
1:      move.w  0xA11100,%d1            | bit 8 clear once the bus is granted
        bne.s   1b                      | (the other bits read 0 on this machine)

        lea     0xA04000,%a0            | YM2612 bank I: address, then data at +1
        lea     fm_pairs,%a1
        move.w  #(fm_end - fm_pairs) / 2 - 1,%d0
next:   move.b  (%a0),%d1               | status bit 7: busy
        bmi.s   next
        move.b  (%a1)+,(%a0)
        move.b  (%a1)+,1(%a0)
        dbra    %d0,next
forever:
        bra.s   forever

        .org    0x400
fm_writes:
        .byte   (fm_end - fm_pairs) / 2
fm_pairs:
        .byte   0x22,0x00, 0x27,0x00, 0x2B,0x00         | LFO, timers, DAC off
        .byte   0x28,0x00, 0x28,0x01, 0x28,0x02         | every key off
        .byte   0x28,0x04, 0x28,0x05, 0x28,0x06
        .byte   0x30,0x01, 0x34,0x01, 0x38,0x01, 0x3C,0x01  | MUL 1, DT 0
        .byte   0x40,0x08, 0x44,0x7F, 0x48,0x7F, 0x4C,0x7F  | TL: S1 at 6 dB, others off
        .byte   0x50,0x1F, 0x54,0x1F, 0x58,0x1F, 0x5C,0x1F  | AR 31
        .byte   0x60,0x00, 0x64,0x00, 0x68,0x00, 0x6C,0x00  | DR 0
        .byte   0x70,0x00, 0x74,0x00, 0x78,0x00, 0x7C,0x00  | SR 0
        .byte   0x80,0x0F, 0x84,0x0F, 0x88,0x0F, 0x8C,0x0F  | SL 0, RR 15
        .byte   0x90,0x00, 0x94,0x00, 0x98,0x00, 0x9C,0x00  | SSG-EG off
        .byte   0xB0,0x07, 0xB4,0xC0                    | algorithm 7; left and right
        .byte   0xA4,0x22, 0xA0,0x8D                    | block 4, F-number 0x28D
        .byte   0x28,0x10                               | key on S1 of channel 1
fm_end:
        .even
rom_end:
