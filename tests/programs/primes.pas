program primes()
var n, d, count: integer;
  prime: integer;
begin
  count := 0;
  for n := 2 to 50 do
    prime := 1;
    d := 2;
    while d * d <= n do
      if n mod d = 0 then prime := 0; end;
      d := d + 1;
    end;
    if prime = 1 then
      write(n, ' ');
      count := count + 1;
    end;
  end;
  writeln;
  writeln(count);
end.
