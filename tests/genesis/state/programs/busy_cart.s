| A cartridge that keeps every part of the machine busy, for save and load tests: the V and
| H interrupts on, sprites and planes written to VRAM, CRAM and VSRAM touched every frame, an
| FM note held and its frequency moved, a PSG tone, the Z80 running a counter loop in its
| RAM, the pad ports configured, and work RAM counters. Region "JUE".
        .org    0
        .long   0x00FFFE00              | supervisor stack
        .long   start
        .rept   26
        .long   ignore
        .endr
        .long   hint                    | 0x70: level 4 autovector
        .long   ignore
        .long   vint                    | 0x78: level 6 autovector
        .rept   33
        .long   ignore
        .endr
        .org    0x100
        .ascii  "SEGA GENESIS    "
        .org    0x1F0
        .ascii  "JUE"
        .org    0x200
ignore: rte

start:  move.b  #0x40, 0xA10009         | pad ports: TH as output
        move.b  #0x40, 0xA1000B
        move.b  #0x40, 0xA10003
        move.w  #0x8014, 0xC00004       | register 0: H interrupt on
        move.w  #0x8174, 0xC00004       | register 1: display, V interrupt, DMA, mode 5
        move.w  #0x8230, 0xC00004       | plane A at 0xC000
        move.w  #0x8407, 0xC00004       | plane B at 0xE000
        move.w  #0x8578, 0xC00004       | sprites at 0xF000
        move.w  #0x8A10, 0xC00004       | an H interrupt every 17 lines
        move.w  #0x8C81, 0xC00004       | 40 cells
        move.w  #0x8F02, 0xC00004       | auto-increment 2
        move.w  #0x9001, 0xC00004       | 64 x 32 planes

        move.b  #0x90, 0xC00011         | PSG tone 0: volume 0, period 0x1FE
        move.b  #0x8E, 0xC00011
        move.b  #0x1F, 0xC00011

        move.w  #0x100, 0xA11100        | take the Z80 bus, release its reset
        move.w  #0x100, 0xA11200
grant:  move.w  0xA11100, %d1
        bne.s   grant
        lea     0xA04000, %a0           | FM channel 1: one carrier, keyed on
        lea     fm_pairs, %a1
        move.w  #(fm_end - fm_pairs) / 2 - 1, %d0
fm:     move.b  (%a1)+, (%a0)
        move.b  (%a1)+, 1(%a0)
        dbra    %d0, fm
        lea     z80prog, %a0            | the Z80 counter loop
        lea     0xA00000, %a1
        move.w  #z80end - z80prog - 1, %d0
copy:   move.b  (%a0)+, (%a1)+
        dbra    %d0, copy
        move.w  #0x000, 0xA11200        | restart the Z80 at 0 and give its bus back
        move.w  #0x100, 0xA11200
        move.w  #0x000, 0xA11100

        move.l  #0x40000003, 0xC00004   | VRAM write at 0xC000: a row of plane A
        move.w  #63, %d0
row:    move.w  %d0, 0xC00000
        dbra    %d0, row
        move.l  #0x70000003, 0xC00004   | VRAM write at 0xF000: sprite 0
        move.l  #0x00800501, 0xC00000
        move.l  #0x00010080, 0xC00000

        moveq   #0, %d7                 | V interrupts
        moveq   #0, %d6                 | H interrupts
        move.w  #0x2000, %sr            | interrupts on
loop:   move.l  %d7, 0xFF0000
        move.l  %d6, 0xFF0004
        addq.l  #1, 0xFF0008            | main-loop passes
        bra.s   loop

vint:   addq.l  #1, %d7
        movem.l %d0/%a0, -(%sp)
        move.l  #0xC0000000, 0xC00004   | CRAM colour 0 from the frame count
        move.w  %d7, 0xC00000
        move.l  #0x40000010, 0xC00004   | VSRAM word 0: scroll by the frame count
        move.w  %d7, 0xC00000
        move.l  #0x40020003, 0xC00004   | a plane A cell from the frame count
        move.w  %d7, 0xC00000
        move.b  %d7, 0xC00011           | PSG: a data byte (tone 0 high bits)
        lea     0xFF1000, %a0           | work RAM: frame count at 0xFF1000 + 4 x (n & 0xFF)
        move.w  %d7, %d0
        andi.w  #0xFF, %d0
        lsl.w   #2, %d0
        move.l  %d7, 0(%a0, %d0.w)
        movem.l (%sp)+, %d0/%a0
        rte
hint:   addq.l  #1, %d6
        rte

| YM2612 bank I: algorithm 7, S1 carrier TL 8 AR 31, others silent; F-number 0x28D block 4;
| key on channel 1.
fm_pairs:
        .byte   0x22, 0x00, 0x27, 0x00, 0x28, 0x00
        .byte   0x30, 0x01, 0x40, 0x08, 0x44, 0x7F, 0x48, 0x7F, 0x4C, 0x7F
        .byte   0x50, 0x1F, 0x60, 0x00, 0x70, 0x00, 0x80, 0x0F
        .byte   0xB0, 0x07, 0xB4, 0xC0, 0xA4, 0x22, 0xA0, 0x8D
        .byte   0x28, 0xF0
fm_end:
| Z80 program: count 0x1F00 and 0x1F01 up for ever.
z80prog:
        .byte   0x21, 0x00, 0x1F        | ld hl, 0x1F00
        .byte   0x34                    | loop: inc (hl)
        .byte   0x23                    | inc hl
        .byte   0x34                    | inc (hl)
        .byte   0x2B                    | dec hl
        .byte   0x18, 0xFA              | jr loop
z80end:
        .even
