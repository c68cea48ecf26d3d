; A mixed instruction load for the flat-bus benchmark: loads, 8- and 16-bit arithmetic,
; indexed accesses, bit operations, calls, conditional jumps and a block copy.
        org 0
        ld sp, 0xfff0
        ld ix, data
        ld iy, data + 0x80
        ld bc, 20000
outer:  push bc
        ld b, 0
inner:  ld a, (ix + 0)
        add a, (iy + 1)
        ld (ix + 2), a
        ld hl, data
        ld e, (hl)
        inc hl
        ld d, (hl)
        ex de, hl
        add hl, de
        ld (data + 4), hl
        call sub
        rlca
        xor c
        and 0x7f
        or e
        cp 0x40
        jr nc, skip
        inc c
skip:   srl a
        bit 3, a
        jp z, next
        dec c
next:   djnz inner
        ld hl, data
        ld de, data + 0x100
        ld bc, 32
        ldir
        pop bc
        dec bc
        ld a, b
        or c
        jp nz, outer
        halt
sub:    push af
        exx
        inc hl
        exx
        pop af
        ret
data:   defs 0x200
