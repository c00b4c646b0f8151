{ loops: the three loops of the language. Teaches: for (always counts
  upward by one), while (tests before each round), repeat ... until (tests
  after), and that every loop body ends with its own end. }
program loops()
var i, sum, n: integer;
begin
  write('for:   ');
  for i := 1 to 10 do
    write(i, ' ');
  end;
  writeln;

  write('while: ');
  i := 10;
  while i > 0 do
    write(i, ' ');
    i := i - 3;
  end;
  writeln;

  write('repeat:');
  n := 1;
  repeat
    n := n * 2;
    write(' ', n);
  until n >= 100;
  writeln;

  sum := 0;
  for i := 1 to 100 do
    sum := sum + i;
  end;
  writeln('1 + 2 + ... + 100 = ', sum);

  for i := 1 to 5 do
    for n := 1 to i do
      write('*');
    end;
    writeln;
  end;
end.
