-- A sensor front end in VHDL-AMS: a bridge resistor, an amplifier with a
-- first-order pole, a comparator turning the amplified voltage into a bit,
-- and the digital counter that samples it. Written for the kt-util demo.
library ieee;
use ieee.math_real.all;
library IEEE_proposed;
use IEEE_proposed.electrical_systems.all;

entity bridge_resistor is
  generic (r_nom : real := 1.0e3;     -- nominal resistance
           alpha : real := 3.9e-3;    -- temperature coefficient
           t_ref : real := 27.0);
  port (terminal p, n : electrical;
        quantity temp : in real);
end entity bridge_resistor;

architecture ideal of bridge_resistor is
  quantity v across i through p to n;
begin
  v == i * r_nom * (1.0 + alpha * (temp - t_ref));
end architecture ideal;

library ieee;
use ieee.math_real.all;
use IEEE_proposed.electrical_systems.all;

entity amplifier is
  generic (gain : real := 100.0;
           f_pole : real := 10.0e3);
  port (terminal input, output, ref : electrical);
end amplifier;

architecture first_order of amplifier is
  quantity v_in across input to ref;
  quantity v_out across i_out through output to ref;
  constant w_pole : real := math_2_pi * f_pole;
begin
  v_out + v_out'dot / w_pole == gain * v_in;
end;

library ieee;
use ieee.std_logic_1164.all;
use IEEE_proposed.electrical_systems.all;

entity comparator is
  generic (threshold : voltage := 2.5;
           hysteresis : voltage := 0.1);
  port (terminal a_in, ref : electrical;
        signal d_out : out std_logic);
end comparator;

architecture hysteretic of comparator is
  quantity v across a_in to ref;
begin
  detect : process (v'above(threshold + hysteresis), v'above(threshold - hysteresis)) is
  begin
    if v'above(threshold + hysteresis) then
      d_out <= '1';
    elsif not v'above(threshold - hysteresis) then
      d_out <= '0';
    end if;
  end process detect;
end architecture hysteretic;

library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;

entity pulse_counter is
  generic (width : positive := 16);
  port (clk, reset : in std_logic;
        pulse : in std_logic;
        count : out unsigned(width - 1 downto 0);
        overflow : buffer std_logic := '0');
end entity pulse_counter;

architecture rtl of pulse_counter is
  function saturated(x : unsigned) return boolean is
  begin
    return x = (x'range => '1');
  end;
  signal n : unsigned(width - 1 downto 0) := (others => '0');
begin
  counting : process (clk) is
  begin
    if rising_edge(clk) then
      if reset = '1' then
        n <= (others => '0');
      elsif pulse = '1' and not saturated(n) then
        n <= n + 1;
      end if;
    end if;
  end process counting;
  count <= n;
  overflow <= '1' when saturated(n) else '0';
end rtl;
