{ temperature: constants and floats. Teaches: a const section, float
  arithmetic, round and trunc, sqrt, and a neatly aligned table written
  with widths and decimals (c:7:1). Written digits are cut, not rounded:
  sqrt(2) = 1.4142135... shows as 1.414213. }
program temperature()
const
  freezing = 32;
  factor = 1.8;
  title = 'Celsius  Fahrenheit';
var c, f: float;
  i: integer;
begin
  writeln(title);
  for i := 0 to 10 do
    c := i * 10 - 20;
    f := c * factor + freezing;
    writeln(c:7:1, f:12:1);
  end;
  writeln('round(2.5) = ', round(2.5), ', trunc(2.9) = ', trunc(2.9), ', round(-1.4) = ', round(0 - 1.4));
  writeln('sqrt(2) = ', sqrt(2.0):9:6);
end.
