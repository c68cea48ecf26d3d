| Sound test cartridge: the PSG plays tone channel 0 with period 0x100 (about 429 Hz)
| at full volume for as long as it runs; the other PSG channels and the YM2612 are silent.
| The bytes sent to the PSG port are the table at 0x400 (a count, then the bytes), so a
| test can also replay them on the chip directly.

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
        .ascii  "PSG TONE PERIOD 0x100" | domestic name
        .org    0x150, 0x20
        .ascii  "PSG TONE PERIOD 0x100" | overseas name
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
start:  lea     0xC00011,%a0            | PSG port
        lea     psg_list,%a1
        move.w  #psg_end - psg_list - 1,%d0
1:      move.b  (%a1)+,(%a0)
        dbra    %d0,1b
forever:
        bra.s   forever

        .org    0x400
psg_bytes:
        .byte   psg_end - psg_list
psg_list:
        .byte   0x9F, 0xBF, 0xDF, 0xFF  | all four channels silent
        .byte   0x80                    | tone 0, period bits 0-3 = 0
        .byte   0x10                    | period bits 4-9: period 0x100
        .byte   0x90                    | tone 0 volume 0 (loudest)
psg_end:
        .even
rom_end:
