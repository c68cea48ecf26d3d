| A cartridge that counts the video interrupts it takes and idles between them. It turns on
| the V interrupt and the H interrupt on every line, enables interrupts and loops. Counters
| (dbra counts down from 0xFFFF): d7 V interrupts, d6 H interrupts; the main loop copies
| them to work RAM 0xFF0000 (V) and 0xFF0002 (H). Region "JUE" in the header.
        .org    0
        .long   0x00FFFE00              | supervisor stack
        .long   start
        .org    0x70
        .long   hint                    | level 4 autovector
        .org    0x78
        .long   vint                    | level 6 autovector
        .org    0x100
        .ascii  "SEGA GENESIS    "
        .org    0x1F0
        .ascii  "JUE"
        .org    0x200
start:  move.w  #0xFFFF, %d7
        move.w  #0xFFFF, %d6
        move.w  #0x8014, 0xC00004       | register 0: H interrupt on
        move.w  #0x8124, 0xC00004       | register 1: V interrupt on, mode 5
        move.w  #0x8A00, 0xC00004       | register 10: an H interrupt on every line
        move.l  #loop, -(%sp)           | leave supervisor level 7 through an exception
        move.w  #0x2000, -(%sp)         | return: supervisor, interrupts enabled
        rte
loop:   move.w  %d7, 0xFF0000
        move.w  %d6, 0xFF0002
        bra.s   loop
vint:   dbra    %d7, vdone
vdone:  rte
hint:   dbra    %d6, hdone
hdone:  rte
