{ matrix: two-dimensional arrays. Teaches: array [1..n, 1..m], indexing
  with m[i, j], nested loops, writing a table in columns with a width
  (x:5), and multiplying two matrices. }
program matrix()
var a, b, c: array [1..3, 1..3] of integer;
  i, j, k, s: integer;
begin
  for i := 1 to 3 do
    for j := 1 to 3 do
      a[i, j] := i + j;
      if i = j then b[i, j] := 2; else b[i, j] := 0; end;
    end;
  end;
  b[1, 3] := 1;
  for i := 1 to 3 do
    for j := 1 to 3 do
      s := 0;
      for k := 1 to 3 do
        s := s + a[i, k] * b[k, j];
      end;
      c[i, j] := s;
    end;
  end;
  writeln('A:');
  for i := 1 to 3 do
    for j := 1 to 3 do write(a[i, j]:5); end;
    writeln;
  end;
  writeln('A * B:');
  for i := 1 to 3 do
    for j := 1 to 3 do write(c[i, j]:5); end;
    writeln;
  end;
  writeln('Multiplication table:');
  for i := 1 to 9 do
    for j := 1 to 9 do write(i * j:3); end;
    writeln;
  end;
end.
