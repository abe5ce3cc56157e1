! Calls the text entries as Fortran code does: lower-case names with a
! trailing underscore, hidden text lengths, character-valued functions and
! the COMMON block of module debug values.
program text_interop
  implicit none
  integer siglen, vbcs2d, vbci2c, kwacmp, sdbe, uimstr, uidstr, strsub, sfnext
  character*1 upcase
  character*8 vbd2c
  double precision vbs2d, s2dcnv
  external siglen, vbcs2d, vbci2c, kwacmp, sdbe, uimstr, uidstr, strsub, sfnext, upcase, vbd2c, vbs2d, s2dcnv
  external sdbi
  integer sdbcbl(100)
  common /sdbcbl/ sdbcbl
  integer k, fails, s, count, ln, status
  double precision v, cell
  character*12 field
  character*10 fname

  fails = 0
  call check('siglen', siglen('AB   ') == 2)
  call check('upcase', upcase('z') == 'Z')
  v = 0
  k = vbcs2d('4.7K', 4, v)
  call check('vbcs2d', k == 0 .and. abs(v - 4700d0) <= 0d0)
  k = vbcs2d('1.5KOHM', 7, v)
  call check('vbcs2d rejects', k == 5)
  call check('s2dcnv', abs(s2dcnv('10KOHM', 6) - 1d4) <= 0d0)
  k = vbci2c(-45, field)
  call check('vbci2c', k == 3 .and. field == '-45')
  cell = vbs2d('NODE', 4)
  call check('vbd2c', vbd2c(cell) == 'NODE    ')
  call check('kwacmp def', kwacmp('DEFine', 'def', 3) == 0)
  call check('kwacmp de', kwacmp('DEFine', 'de', 2) /= 0)
  call sdbi()
  k = sdbe('lu', 2, 3, status)
  call check('sdbe', k == 0 .and. status == 0 .and. sdbcbl(14) == 3)
  call sdbi()
  s = uimstr('a%{X}b   ')
  k = strsub(s, 'X', '12345', count)
  call check('strsub', k == 1 .and. count == 1)
  k = uidstr(s)
  call check('uidstr', s == 0)
  fname = 'top'
  k = sfnext('.cir', fname, ln, status)
  call check('sfnext', k == 1 .and. fname == 'top.cir' .and. ln == 7)

  if (fails == 0) then
    print '(a)', 'text interop: all checks passed'
  end if

contains

  subroutine check(what, ok)
    character*(*) what
    logical ok
    if (.not. ok) then
      print '(2a)', 'FAIL ', what
      fails = fails + 1
    end if
  end subroutine check

end program text_interop
