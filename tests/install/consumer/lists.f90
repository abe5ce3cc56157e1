! A Fortran program calling libkt_util entries only, as gfortran emits them.
program lists
  implicit none
  integer lsti, lste, list, n
  external lsti, lste, lsto, lstd
  list = 0
  n = lsti(2, 1, list)
  n = lste(list, 42)
  call lsto(list, 'values:')
  call lstd(list)
  if (n /= 1 .or. list /= 0) stop 1
  print '(a)', 'OK'
end program lists
