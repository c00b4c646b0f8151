function gcd(a: integer, b: integer): integer
var t: integer;
begin
  while b <> 0 do
    t := a mod b;
    a := b;
    b := t;
  end;
  return a;
end;

program euclid()
begin
  writeln(gcd(84, 36));
  writeln(gcd(17, 5));
end.
