| A busy cartridge for the frame benchmark: with the V interrupt on, it copies a block of
| work RAM around and counts in a loop, so every slice runs real instructions with bus
| traffic.
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x78
        .long   vint
        .org    0x100
        .ascii  "SEGA GENESIS    "
        .org    0x1F0
        .ascii  "U  "
        .org    0x200
start:  move.w  #0x8124, 0xC00004       | register 1: V interrupt on
        move.l  #loop, -(%sp)
        move.w  #0x2000, -(%sp)
        rte
loop:   lea     0xFF0000, %a0
        lea     0xFF8000, %a1
        move.w  #255, %d0
copy:   move.l  (%a0)+, (%a1)+
        dbra    %d0, copy
        dbra    %d1, loop
        bra.s   loop
vint:   dbra    %d7, vdone
vdone:  rte
