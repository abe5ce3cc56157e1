#!library ieee; use ieee.std_logic_1164.all;
entity m is generic (n : integer := 8; t : time := 1 ns);
port (a, b : in std_logic_vector(n-1 downto 0); y : out bit);
end m;
architecture r of m is begin end r;
