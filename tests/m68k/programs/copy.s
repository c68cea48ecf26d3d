| Data movement: a block copy through (An)+,(An)+ with DBF, a PC-relative table look-up, a
| stack built with -(A7) and read back with (A7)+, MOVEA sign extension and byte pushes
| through A7. Results in work RAM at 0xFF0000:
|   0xFF0000-0xFF000F  copy of `table` (16 bytes)
|   0xFF0010           word table[5] fetched through d8(PC,D1.W)  = 0x5A5A
|   0xFF0014           long popped back after two pushes           = 0xCAFEF00D
|   0xFF0018           A3 after MOVEA.W #-2                        = 0xFFFFFFFE
|   0xFF001C           A7 after two byte pushes and pops (2 each)   = 0x00FFFE00
|   0xFF0020           bytes pushed by MOVE.B through -(A7): 0x11 at A7, 0x22 at A7+2
        .long   0x00FFFE00
        .long   start
start:  lea     table(%pc),%a0
        movea.l #0xFF0000,%a1
        move.w  #15,%d0
copy:   move.b  (%a0)+,(%a1)+
        dbf     %d0,copy
        move.w  #10,%d1
        move.w  table(%pc,%d1.w),0xFF0010
        move.l  #0xCAFEF00D,-(%a7)
        move.l  #0x01020304,-(%a7)
        move.l  (%a7)+,%d2
        move.l  (%a7)+,0xFF0014
        movea.w #-2,%a3
        move.l  %a3,0xFF0018
        move.b  #0x22,-(%a7)
        move.b  #0x11,-(%a7)
        move.b  (%a7),0xFF0020
        move.b  2(%a7),0xFF0021
        move.b  (%a7)+,%d3
        move.b  (%a7)+,%d3
        move.l  %a7,0xFF001C
        .word   0xA000
        .even
table:  .word   0x0001, 0x0203, 0x0405, 0x0607, 0x0809, 0x5A5A, 0x0C0D, 0x0E0F
