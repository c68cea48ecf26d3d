; A still mode-4 scene for the line renderers: four background tiles (row and column
; gradients, a diagonal over transparency, a box) laid out with flips, the sprite palette and
; priority; fine and coarse scroll, vertical scroll with the right columns fixed, the left
; column blanked; 16-line sprites crowding one line past the limit, overlapping, and at the
; top, left and right edges. The program then waits with interrupts off.
        di
        im 1
        ld sp, 0xdff0
        jp start

regs:   db 0xa4, 0x80           ; fixed right columns, blank left column, mode 4
        db 0x42, 0x81           ; display on, 16-line sprites
        db 0xff, 0x82           ; name table 0x3800
        db 0xff, 0x85           ; sprite table 0x3f00
        db 0xff, 0x86           ; sprite patterns from 0x2000
        db 0x05, 0x88           ; horizontal scroll 5
        db 0x10, 0x89           ; vertical scroll 16
        db 0xff, 0x8a
regs_end:

palette:
        db 0x00, 0x03, 0x0c, 0x0f, 0x30, 0x33, 0x3c, 0x3f
        db 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x15, 0x2a
        db 0x00, 0x30, 0x0c, 0x03, 0x3c, 0x0f, 0x33, 0x2f
        db 0x1b, 0x06, 0x09, 0x18, 0x24, 0x36, 0x39, 0x3f

tiles:                          ; tile 1: each row one colour, 1 to 8 (top to bottom)
        db 0xff, 0x00, 0x00, 0x00,  0x00, 0xff, 0x00, 0x00
        db 0xff, 0xff, 0x00, 0x00,  0x00, 0x00, 0xff, 0x00
        db 0xff, 0x00, 0xff, 0x00,  0x00, 0xff, 0xff, 0x00
        db 0xff, 0xff, 0xff, 0x00,  0x00, 0x00, 0x00, 0xff
                                ; tile 2: pixel x has colour 8 + x
        db 0x55, 0x33, 0x0f, 0xff,  0x55, 0x33, 0x0f, 0xff
        db 0x55, 0x33, 0x0f, 0xff,  0x55, 0x33, 0x0f, 0xff
        db 0x55, 0x33, 0x0f, 0xff,  0x55, 0x33, 0x0f, 0xff
        db 0x55, 0x33, 0x0f, 0xff,  0x55, 0x33, 0x0f, 0xff
                                ; tile 3: a colour-15 diagonal over transparency
        db 0x80, 0x80, 0x80, 0x80,  0x40, 0x40, 0x40, 0x40
        db 0x20, 0x20, 0x20, 0x20,  0x10, 0x10, 0x10, 0x10
        db 0x08, 0x08, 0x08, 0x08,  0x04, 0x04, 0x04, 0x04
        db 0x02, 0x02, 0x02, 0x02,  0x01, 0x01, 0x01, 0x01
                                ; tile 4: a colour-3 box
        db 0xff, 0xff, 0x00, 0x00,  0x81, 0x81, 0x00, 0x00
        db 0x81, 0x81, 0x00, 0x00,  0x81, 0x81, 0x00, 0x00
        db 0x81, 0x81, 0x00, 0x00,  0x81, 0x81, 0x00, 0x00
        db 0x81, 0x81, 0x00, 0x00,  0xff, 0xff, 0x00, 0x00
tiles_end:

sprites_y:
        db 0x8f, 0x8f, 0x8f, 0x8f, 0x8f, 0x8f, 0x8f, 0x8f, 0x8f, 0x8f
        db 0xf8, 0x70, 0xa8, 0x97, 0xd0
sprites_y_end:
sprites_xn:
        db 0x10, 0, 0x24, 0, 0x38, 0, 0x4c, 0, 0x60, 0
        db 0x74, 0, 0x88, 0, 0x9c, 0, 0xb0, 0, 0xc4, 0
        db 0x80, 2, 0xfc, 2, 0x02, 0, 0x20, 2
sprites_xn_end:

; HL = VRAM address to write from (0x4000 set for a write), or a CRAM command.
setaddr:
        ld a, l
        out (0xbf), a
        ld a, h
        out (0xbf), a
        ret

; B bytes from HL to the data port.
copy:   ld a, (hl)
        out (0xbe), a
        inc hl
        djnz copy
        ret

start:  ld hl, regs
        ld b, regs_end - regs
        ld c, 0xbf
        otir
        ld hl, 0xc000           ; CRAM 0
        call setaddr
        ld hl, palette
        ld b, 32
        call copy
        ld hl, 0x4020           ; background tiles 1-4
        call setaddr
        ld hl, tiles
        ld b, tiles_end - tiles
        call copy
        ld hl, 0x6000           ; sprite tiles 0x100-0x103: the same four
        call setaddr
        ld hl, tiles
        ld b, tiles_end - tiles
        call copy
        ld hl, 0x7800           ; name table: 28 rows of 32 entries
        call setaddr
        ld d, 0                 ; row
row:    ld e, 0                 ; column
col:    ld a, d
        cp 12
        ld a, 0                 ; rows 12-27 empty, to show the sprites on black
        jr nc, tile
        ld a, d
        add a, e
        and 3
        inc a                   ; tile 1-4
tile:   out (0xbe), a
        ld c, 0
        ld a, e
        and 3
        jr nz, noh
        set 1, c                ; horizontal flip on every fourth column
noh:    ld a, d
        and 3
        cp 1
        jr nz, nov
        set 2, c                ; vertical flip on rows 1, 5, 9, ...
nov:    ld a, e
        and 7
        cp 5
        jr nz, nopal
        set 3, c                ; sprite palette on columns 5, 13, 21, 29
nopal:  ld a, d
        and 0xfe
        cp 6
        jr nz, nopri
        set 4, c                ; priority on rows 6 and 7
nopri:  ld a, c
        out (0xbe), a
        inc e
        ld a, e
        cp 32
        jr nz, col
        inc d
        ld a, d
        cp 28
        jr nz, row
        ld hl, 0x7f00           ; sprite table
        call setaddr
        ld hl, sprites_y
        ld b, sprites_y_end - sprites_y
        call copy
        ld hl, 0x7f80
        call setaddr
        ld hl, sprites_xn
        ld b, sprites_xn_end - sprites_xn
        call copy
wait:   halt
        jr wait
