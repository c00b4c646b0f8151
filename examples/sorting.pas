{ sorting: arrays and sorting. Teaches: an array with initial values, an
  array type passed to a procedure as a var parameter, nested for loops
  and swapping two elements (selection sort), and a linear search. }
program sorting()
type
  numbers = array [1..10] of integer;
var a: numbers;
  b: array [1..10] of integer = 42, 7, 19, 3, 88, 61, 25, 3, 50, 14;
  i: integer;

  procedure show(var x: numbers)
  var i: integer;
  begin
    for i := 1 to 10 do write(x[i]:4); end;
    writeln;
  end;

  procedure sort(var x: numbers)
  var i, j, m, t: integer;
  begin
    for i := 1 to 9 do
      m := i;
      for j := i + 1 to 10 do
        if x[j] < x[m] then m := j; end;
      end;
      t := x[i];
      x[i] := x[m];
      x[m] := t;
    end;
  end;

  function find(var x: numbers, v: integer): integer
  var i: integer;
  begin
    for i := 1 to 10 do
      if x[i] = v then return i; end;
    end;
    return 0;
  end;

begin
  for i := 1 to 10 do a[i] := b[i]; end;
  write('before:');
  show(a);
  sort(a);
  write('after: ');
  show(a);
  writeln('61 is at place ', find(a, 61), ', 99 at place ', find(a, 99));
end.
