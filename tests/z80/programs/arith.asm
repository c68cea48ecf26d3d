; Arithmetic and data-movement workout for the Genesis Z80. Results go to 0x1000 onwards;
; the test reads them after the final HALT.
        ld sp, 0x1f00
        ; 0x1000: 0x1234 * 0x0056, low 16 bits
        ld hl, 0x1234
        ld de, 0x0056
        call mul16
        ld (0x1000), hl
        ; 0x1002: 0x1999 + 1 in packed BCD
        ld a, 0x99
        add a, 0x01
        daa
        ld c, a
        ld a, 0x19
        adc a, 0x00
        daa
        ld b, a
        ld (0x1002), bc
        ; 0x1004: 1 + 2 + ... + 100
        ld hl, 0
        ld b, 100
        ld d, 0
sum:    ld e, b
        add hl, de
        djnz sum
        ld (0x1004), hl
        ; 0x1010: the text copied with LDIR; 0x1008: its length found with CPIR
        ld hl, text
        ld de, 0x1010
        ld bc, 6
        ldir
        ld hl, text
        ld bc, 0x100
        xor a
        cpir
        ld a, 0xff
        sub c
        ld (0x1008), a
        ; 0x100a: Fibonacci 20 through an IX-addressed table at 0x1100
        ld ix, 0x1100
        ld (ix + 0), 0
        ld (ix + 1), 0
        ld (ix + 2), 1
        ld (ix + 3), 0
        ld b, 19
fib:    ld l, (ix + 0)
        ld h, (ix + 1)
        ld e, (ix + 2)
        ld d, (ix + 3)
        add hl, de
        ld (ix + 4), l
        ld (ix + 5), h
        inc ix
        inc ix
        djnz fib
        ld l, (ix + 2)
        ld h, (ix + 3)
        ld (0x100a), hl
        ; 0x100c: bits set in 0xb7
        ld a, 0xb7
        ld b, 8
        ld c, 0
pop:    rlca
        jr nc, pop1
        inc c
pop1:   djnz pop
        ld a, c
        ld (0x100c), a
        ; 0x100e: 7! by recursion
        ld a, 7
        call fact
        ld (0x100e), hl
        ; 0x1200: bit operations on (IY+0)
        ld iy, 0x1200
        ld (iy + 0), 0x0f
        set 7, (iy + 0)
        res 0, (iy + 0)
        srl (iy + 0)
        ; 0x1020: 1000 - 1234 with SBC HL; 0x1022: NEG 5
        ld hl, 1000
        ld de, 1234
        or a
        sbc hl, de
        ld (0x1020), hl
        ld a, 5
        neg
        ld (0x1022), a
        ; 0x1024: EXX keeps the two register sets apart
        ld bc, 0x1111
        exx
        ld bc, 0x2222
        exx
        ld (0x1024), bc
        halt

; HL := HL * DE (low 16 bits); A and DE are lost
mul16:  push bc
        ld b, h
        ld c, l
        ld hl, 0
        ld a, 16
mul1:   add hl, hl
        ex de, hl
        add hl, hl
        ex de, hl
        jr nc, mul2
        add hl, bc
mul2:   dec a
        jr nz, mul1
        pop bc
        ret

; HL := A!
fact:   cp 2
        jr nc, fact1
        ld hl, 1
        ret
fact1:  push af
        dec a
        call fact
        pop af
        ld e, a
        ld d, 0
        call mul16
        ret

text:   defm "HELLO"
        defb 0
