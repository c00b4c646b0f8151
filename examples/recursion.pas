{ recursion: routines that call themselves. Teaches: factorial and the
  greatest common divisor as recursive functions, and the towers of Hanoi
  as a recursive procedure with four parameters. }
program recursion()
var i, moves: integer;

  function fact(n: integer): integer
  begin
    if n <= 1 then return 1; end;
    return n * fact(n - 1);
  end;

  function gcd(a: integer, b: integer): integer
  begin
    if b = 0 then return a; end;
    return gcd(b, a mod b);
  end;

  procedure hanoi(n: integer, from: integer, onto: integer, via: integer)
  begin
    if n > 0 then
      hanoi(n - 1, from, via, onto);
      moves := moves + 1;
      writeln('move disc ', n, ' from ', from, ' to ', onto);
      hanoi(n - 1, via, onto, from);
    end;
  end;

begin
  for i := 1 to 10 do
    writeln(i:2, '! = ', fact(i));
  end;
  writeln('gcd(84, 36) = ', gcd(84, 36));
  moves := 0;
  hanoi(3, 1, 3, 2);
  writeln(moves, ' moves');
end.
