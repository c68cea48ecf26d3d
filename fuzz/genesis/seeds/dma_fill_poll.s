| Seed: a VRAM fill by DMA, then the usual busy poll on the status word's DMA bit, over and
| over.
        .byte   0x00            | one frame
        .org    0x40
        move.w  #0x8114, 0xC00004       | register 1: DMA enabled, mode 5, display off
        move.w  #0x8F01, 0xC00004       | register 15: auto-increment 1
        move.w  #0x9780, 0xC00004       | register 23: DMA fill
again:  move.w  #0x9320, 0xC00004       | length 0x20
        move.w  #0x9400, 0xC00004
        move.w  #0x4000, 0xC00004       | VRAM write at 0, with DMA
        move.w  #0x0080, 0xC00004
        move.w  #0x1234, 0xC00000       | the fill value: the fill runs
busy:   move.w  0xC00004, %d0
        btst    #1, %d0
        bne.s   busy
        addq.l  #1, %d7
        bra.s   again
