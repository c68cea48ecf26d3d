| A cartridge whose first instruction jumps into a page without code: the 68000 halts.
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x200
start:  jmp     0x800000
