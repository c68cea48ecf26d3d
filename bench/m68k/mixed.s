| A mixed 68000 workload for m68k_flat: the kind of work a game does each frame. 64 objects
| in work RAM move and bounce inside a 320 x 224 field, look their shading up in a table,
| scale it with a multiply, keep a running checksum through a subroutine and count frames;
| moves, arithmetic, logic, shifts, compares, branches, loops, calls and memory operands of
| most addressing modes. Ends on a line-A opcode, which halts the core.
|
| Object record, 16 bytes: x.w, y.w, vx.w, vy.w, energy.l, tick.b, flags.b, spare.w
        .equ    OBJECTS, 0xFF0000
        .equ    COUNT, 64
        .equ    FRAMES, 50000
        .equ    frames, 0xFF1000
        .equ    result, 0xFF1004

        .long   0x00FFFE00
        .long   start

start:  lea     OBJECTS,%a0
        moveq   #COUNT-1,%d7
        moveq   #0,%d0
        moveq   #0,%d1
init:   move.w  %d0,(%a0)+
        move.w  %d1,(%a0)+
        move.w  #3,(%a0)+
        move.w  #-2,(%a0)+
        move.l  #0x12345678,(%a0)+
        clr.l   (%a0)+
        addq.w  #5,%d0
        addq.w  #3,%d1
        dbf     %d7,init

        lea     shade(%pc),%a1
        moveq   #0,%d5
        move.l  #FRAMES,%d6
frame:  lea     OBJECTS,%a0
        moveq   #COUNT-1,%d7
object: move.w  (%a0),%d0
        add.w   4(%a0),%d0
        cmp.w   #320,%d0
        bls.s   1f
        neg.w   4(%a0)
        move.w  (%a0),%d0
1:      move.w  %d0,(%a0)
        move.w  2(%a0),%d1
        add.w   6(%a0),%d1
        cmp.w   #224,%d1
        bls.s   2f
        neg.w   6(%a0)
        move.w  2(%a0),%d1
2:      move.w  %d1,2(%a0)
        move.w  %d0,%d2
        lsr.w   #4,%d2
        and.w   #15,%d2
        add.w   %d2,%d2
        move.w  0(%a1,%d2.w),%d3
        tst.b   13(%a0)
        bne.s   3f
        muls    %d1,%d3
        asr.l   #8,%d3
3:      add.l   %d3,8(%a0)
        addq.b  #1,12(%a0)
        bsr.s   check
        lea     16(%a0),%a0
        dbf     %d7,object
        addq.l  #1,frames
        subq.l  #1,%d6
        bne.s   frame
        move.l  %d5,result
        .word   0xA000

| The running checksum of the energies: D5 = rol(D5 ^ energy, 3), plus 1 for odd energies;
| every 16th tick flips the object's flag byte.
check:  move.l  8(%a0),%d4
        eor.l   %d4,%d5
        rol.l   #3,%d5
        btst    #0,%d4
        beq.s   4f
        addq.l  #1,%d5
4:      move.b  12(%a0),%d4
        and.b   #15,%d4
        bne.s   5f
        not.b   13(%a0)
5:      rts

shade:  .word   0,50,98,142,181,213,237,251,256,251,237,213,181,142,98,50
