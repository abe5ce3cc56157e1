-- A pulse-width modulated converter in VHDL-AMS: a package of shared
-- helpers, the modulator that drives the switch, an RC output filter with
-- its parasitics, and a sampling converter measuring the output. Written
-- for the kt-util examples; it exercises the less common forms of the
-- language the interface scanner has to step over.
LIBRARY Ieee;
Use ieee.std_logic_1164.ALL;
use   ieee . math_real . all;

package pwm_helpers is
  constant max_duty : natural := 255;
  function clamp(x : integer; lo, hi : integer) return integer;
  procedure report_duty(signal d : in natural);
  function scaled generic (k : natural) parameter (x : natural) return natural;
end package pwm_helpers;

package body pwm_helpers is
  function clamp(x : integer; lo, hi : integer) return integer is
  begin
    if x < lo then
      return lo;
    elsif x > hi then
      return hi;
    end if;
    return x;
  end function clamp;

  procedure report_duty(signal d : in natural) is
  begin
    report "duty " & natural'image(d);
  end procedure report_duty;

  function scaled generic (k : natural) parameter (x : natural) return natural is
  begin
    return k * x;
  end function scaled;
end package body;

library ieee, work;
use ieee.std_logic_1164.all, work.pwm_helpers.all;
library IEEE;   -- the same library, again

Entity pwm_modulator IS
  Generic (Constant period : natural := 256;
           duty_init, duty_min : natural := 0;
           pattern : std_logic_vector(0 to 3) := ('1', '0', others => '0');
           ratio : real := real(2 ** 4) / (1.0 + 0.5));
  Port (Signal clk, rst_n : In std_logic;
        duty : in natural range 0 to 255 := 128;
        pwm_out : OUT std_logic := '0';
        phase : out std_logic_vector((period / 64) - 1 downto 0);
        terminal sw : electrical);
  constant half : natural := period / 2;
begin
  assert period > 1 report "period too short" severity failure;
  duty_watch : postponed process (duty) is
  begin
    assert duty <= period report "duty above the period";
  end process duty_watch;
End Entity pwm_modulator;

architecture counter of pwm_modulator is
  signal count : natural range 0 to period - 1 := 0;
  function next_count(c : natural) return natural;
  function next_count(c : natural) return natural is
    function wrap(v : natural) return natural is
    begin
      return v mod period;
    end wrap;
  begin
    return wrap(c + 1);
  end function next_count;
  procedure hold(signal s : out std_logic) is
  begin
    if s'driving then
      s <= '0';
    end if;
  end;
  function times_four is new scaled generic map (k => 4);
  attribute keep : boolean;
  attribute keep of next_count : function is true;
  attribute keep of hold : procedure is true;
  type state_t is (idle, high, low);
  type sample_t is record
    value : natural;
    valid : boolean;
  end record sample_t;
  component filter_stage is
    port (terminal a, b : electrical);
  end component;
begin
  ticking : process (clk, rst_n)
    variable st : state_t := idle;
  begin
    if rst_n = '0' then
      count <= 0;
      st := idle;
    elsif rising_edge(clk) then
      count <= next_count(count);
      case st is
        when idle => st := high;
        when high =>
          if count >= duty then
            st := low;
          end if;
        when others => null;
      end case;
    end if;
  end process ticking;

  taps : for i in phase'range generate
    phase(i) <= '1' when count mod (2 ** (i + 1)) = 0 else '0';
  end generate taps;

  shaping : block is
  begin
    pwm_out <= '1' when count < duty else '0';
  end block shaping;

  waiting : process
  begin
    for k in 1 to 3 loop
      wait until rising_edge(clk);
    end loop;
    while false loop
      null;
    end loop;
    wait;
  end process;
end architecture counter;


configuration pwm_default of pwm_modulator is
  for counter
  end for;
end configuration pwm_default;

library ieee_proposed;
use ieee_proposed.electrical_systems.all;
use ieee_proposed.electrical_systems.all;

entity rc_output_filter is
  generic (r : resistance := 10.0e3; c : capacitance := 1.0e-9;
           esr : resistance := (0.01); tolerances : real_vector(1 to 2) := (0.05, 0.1));
  port (terminal vin, vout, gnd : electrical; quantity i_load : in current := 0.0;
        quantity v_sense : out voltage);
end;

architecture lumped of rc_output_filter is
  quantity v_r across i_r through vin to vout;
  quantity v_c across i_c through vout to gnd;
begin
  v_r == i_r * r;
  i_c == c * v_c'dot + v_c / 1.0e12;
  v_sense == v_c;
  break on vin'above(0.0);
end lumped;

architecture with_esr of rc_output_filter is
  function series(a, b : real) return real is begin return a + b; end;
  procedure nothing is begin null; end procedure;
begin
  assert series(r, esr) > 0.0;
end architecture;

use ieee.math_real.all;
entity sampling_converter is
  generic (bits : positive := 10; vref : real := 2.5);
  port (quantity vin : in real; signal clk : in bit;
        code : out bit_vector(bits - 1 downto 0); ready : buffer bit; bus_io : inout bit;
        probe : linkage bit);
end entity;

architecture ideal of sampling_converter is
begin
  convert : process (clk) is
    variable level : integer;
  begin
    if clk = '1' then
      level := integer(vin / vref * real(2 ** bits - 1));
    end if;
  end process convert;
end ideal;
