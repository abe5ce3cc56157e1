! Calls the library as Fortran code does: ordinary external calls, no
! bindings, so the compiler emits lower-case names with a trailing
! underscore and passes each text's length as a hidden argument. Every line
! goes through the host's output so that it stays in order.
program interop
  implicit none
  integer lsti, lste, strgea, strapa, strea
  external lsti, lste, strgea, strapa, strea, lsto, lstd, strfs, oocs, ooi, oowrit
  external consti
  integer rlsave, txt(4), h
  double precision rlget, rlcnvr
  external rlinit, rlsave, rlget, rlcnvr
  integer list, s, n, m, fails
  double precision pi, twopi, halfpi, qpi, r2d, e, sqrt2, rsqrt2
  common /mathc/ pi, twopi, halfpi, qpi, r2d, e, sqrt2, rsqrt2
  integer iarie, iarcmp
  external iarie, iarcmp, iarfs
  integer rec1, rec2, flag, elems(3)
  integer fidfmt, mkrfid
  external fidfmt, mkrfid, makonm
  character*16 fname
  character*12 short
  character*10 oname
  integer siglen, vbcs2d, vbci2c, kwacmp, sdbe, uimstr, uidstr, strsub, sfnext
  character*1 upcase
  character*8 vbd2c
  double precision vbs2d
  external siglen, vbcs2d, vbci2c, kwacmp, sdbe, uimstr, uidstr, strsub, sfnext, upcase, vbd2c, vbs2d
  external sdbi
  integer sdbcbl(100)
  common /sdbcbl/ sdbcbl
  integer k, count, ln, status
  double precision v, cell
  character*12 field
  character*10 cname

  fails = 0

  list = 0
  n = lsti(2, 1, list)
  call check('lsti', n /= 0 .and. n == list)
  ! The third entry is past the initial capacity of 2: the entries block grows.
  do k = 1, 3
    call check('lste', lste(list, 2 * k + 1) == k)
  end do
  call lsto(list, 'values:')
  call lstd(list)
  call check('lstd', list == 0)

  s = 0
  n = strgea('hello', 5, s)
  call check('strgea', n /= 0 .and. n == s)
  n = strapa(', world', 7, s)
  call check('strapa', n == s)
  ! Writing nothing past the end answers with the length.
  n = strea(' ', 0, s, 1000)
  call check('length', n == 12)
  call strfs(s)
  call check('strfs', s == 0)

  ! The constants block is shared with the library as COMMON /MATHC/.
  call check('mathc before consti', abs(pi) <= 0d0)
  call consti()
  call check('mathc pi', abs(pi - 4d0 * atan(1d0)) <= 0d0)
  call check('mathc 1/sqrt2', abs(rsqrt2 * sqrt2 - 1d0) <= 1d-15)

  elems = (/ 4, 0, -4 /)
  rec1 = 0
  rec2 = 0
  n = iarie(elems, 3, rec1)
  call check('iarie', n /= 0 .and. n == rec1)
  n = iarie(elems, 3, rec2)
  call check('iarcmp', iarcmp(rec1, rec2, flag) == 0 .and. flag == 0)
  call iarfs(rec1)
  call iarfs(rec2)
  call check('iarfs', rec1 == 0 .and. rec2 == 0)
  call check('fidfmt', fidfmt('run/out.d2.bak', 14) == 2)
  ! The room of a name is its declared length, whatever the count says.
  fname = 'new.bak.e1'
  n = mkrfid('dir/out.bak.e1', 14, fname, 100, m)
  call check('mkrfid', n == 14 .and. m == 14 .and. fname == 'dir/new.bak.e1')
  short = 'new.bak.e1'
  n = mkrfid('dir/out.bak.e1', 14, short, 100, m)
  call check('mkrfid room', n == 0 .and. short == 'new.bak.e1')
  call makonm('pin', 3, 'inst', 4, oname)
  call check('makonm', oname == 'inst.pin')

  ! A number held one character per word, parked in a real slot.
  txt = ichar(['4', '.', '7', 'K'])
  call check('rlcnvr', abs(rlcnvr(txt, 4) - 4700d0) < 1d-9)
  call rlinit()
  h = rlsave(txt, 4)
  call check('rlsave', h == 1)
  call check('rlget', abs(rlget(-h) + 4700d0) < 1d-9)

  ! Text entries: character-valued functions, hidden lengths, and the
  ! COMMON block of module debug values.
  call check('siglen', siglen('AB   ') == 2)
  call check('upcase', upcase('z') == 'Z')
  v = 0
  k = vbcs2d('4.7K', 4, v)
  call check('vbcs2d', k == 0 .and. abs(v - 4700d0) <= 0d0)
  k = vbci2c(-45, field)
  call check('vbci2c', k == 3 .and. field == '-45')
  cell = vbs2d('NODE', 4)
  call check('vbd2c', vbd2c(cell) == 'NODE    ')
  call check('kwacmp def', kwacmp('DEFine', 'def', 3) == 0)
  call sdbi()
  k = sdbe('lu', 2, 3, status)
  call check('sdbe', k == 0 .and. status == 0 .and. sdbcbl(14) == 3)
  call sdbi()
  s = uimstr('a%{X}b   ')
  k = strsub(s, 'X', '12345', count)
  call check('strsub', k == 1 .and. count == 1)
  k = uidstr(s)
  call check('uidstr', s == 0)
  cname = 'top'
  k = sfnext('.cir', cname, ln, status)
  call check('sfnext', k == 1 .and. cname == 'top.cir' .and. ln == 7)

  if (fails /= 0) then
    call oocs('interop: ')
    call ooi(fails)
    call oocs(' checks failed')
    call oowrit()
    stop 1
  end if
  call oocs('interop: all checks passed')
  call oowrit()

contains

  subroutine check(what, ok)
    character(*), intent(in) :: what
    logical, intent(in) :: ok
    if (.not. ok) then
      call oocs('FAIL ')
      call oocs(what)
      call oowrit()
      fails = fails + 1
    end if
  end subroutine check

end program interop
