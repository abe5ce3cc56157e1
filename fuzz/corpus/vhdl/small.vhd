library a; use a.b.all;
entity e is generic (n : integer := 8); port (x, y : in bit; z : out bit_vector(7 downto 0)); end e;
architecture r of e is function f return bit is begin return x; end; begin end;
entity e2 is end;
