-- a source of terminals and quantities
library ieee; library IEEE;
use ieee.math_real.all;
entity src is
  generic (v0 : real := 1.0; f : real := 50.0);
  port (terminal pos, neg : electrical; quantity amp : in real := 0.0);
end entity src;
architecture a of src is
  quantity v across i through pos to neg;
begin
  v == v0 * sin(math_2_pi * f * now);
end a;
