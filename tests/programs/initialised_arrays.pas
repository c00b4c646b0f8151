program initarr()
var primes: array [1..5] of integer = 2, 3, 5, 7, 11;
  names: array [1..3] of string[8] = 'ann', 'bob', 'cy';
  i: integer;
begin
  for i := 1 to 5 do write(primes[i], ' '); end;
  writeln;
  for i := 3 to 3 do writeln(names[i]); end;
  writeln(names[1] + names[2]);
end.
