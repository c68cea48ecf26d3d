| A cartridge that gives its Z80 a jump into a page without code: the Z80 stops on the
| error, and with it the whole machine.
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x200
start:  move.w  #0x100, 0xA11100        | take the Z80 bus
        move.w  #0x100, 0xA11200        | release the Z80 reset
        move.b  #0xC3, 0xA00000         | jp 0x8000
        move.b  #0x00, 0xA00001
        move.b  #0x80, 0xA00002
        move.w  #0x000, 0xA11100        | give the bus back: the Z80 runs
loop:   bra.s   loop
