! Makes a decade sweep and prints its points, from Fortran: every argument
! by reference, texts with their hidden lengths, word-store reals reached
! through the store's base address, results through the host's line output.
module word_store
  use iso_c_binding, only: c_ptr
  implicit none
  type(c_ptr), bind(c, name='kt_store_base') :: store_base
end module word_store

program sweep_points
  use iso_c_binding, only: c_f_pointer
  use word_store, only: store_base
  implicit none
  double precision, pointer :: rmem(:)   ! the real view: element i at rmem(i)
  integer gstore, fstore, lpie, strgea, lpchk, lpgv
  external gstore, fstore, lpie, strgea, lpchk, lpgv, lpgn, lpd, lpq, strfs, oocs, ooi, ood, oowrit
  double precision step, value
  integer name, block, list, points, code, status, i, n

  call c_f_pointer(store_base, rmem, [268435456])

  ! The range: from 1 to 1000, 2 points per decade, in a block of 3 reals.
  block = 0
  if (gstore(3, block, 8, 0, status) /= 0) stop 1
  rmem(block + 1 : block + 3) = (/ 1d0, 1d3, 2d0 /)
  name = 0
  n = strgea('freq', 4, name)
  list = 0
  n = lpie(name, 0, 4, block, 3, list)   ! kind 4: a decade sweep
  call strfs(name)                       ! the list keeps its own copies
  n = fstore(3, block, 8)
  if (lpchk(list, code) /= 0) stop 1

  call lpq(list)
  call oowrit()
  call lpgn(list, points, step)
  do i = 1, points
    n = lpgv(list, i, value, status)
    call ooi(i)
    call oocs(' ')
    call ood(value)
    call oowrit()
  end do
  call lpd(list)
end program sweep_points
