| A cartridge that fills VRAM by DMA and waits for the fill in the usual poll loop on the
| status port's DMA-busy bit, then counts the fills in d7 and in work RAM, over and over.
| The first status read after a fill reports the bit, the next one no longer does.
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x100
        .ascii  "SEGA GENESIS    "
        .org    0x200
start:  move.w  #0x8114, 0xC00004       | register 1: DMA enabled, mode 5, display off
        move.w  #0x8F01, 0xC00004       | register 15: auto-increment 1
        move.w  #0x9780, 0xC00004       | register 23: DMA fill
        moveq   #0, %d7
again:  move.w  #0x9320, 0xC00004       | length 0x20
        move.w  #0x9400, 0xC00004
        move.w  #0x4000, 0xC00004       | VRAM write at 0, with DMA
        move.w  #0x0080, 0xC00004
        move.w  #0x1234, 0xC00000       | the fill value: the fill runs
wait:   move.w  0xC00004, %d0
        btst    #1, %d0
        bne.s   wait
        addq.l  #1, %d7
        move.l  %d7, 0xFF0000
        bra.s   again
