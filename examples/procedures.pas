{ procedures: splitting a program into routines. Teaches: procedures and
  functions with value parameters, var parameters that change the caller's
  variable (swap), a function returning a string, and calling a routine
  without parameters as name(). }
program procedures()
var a, b: integer;

  procedure line()
  begin
    writeln('--------------------');
  end;

  procedure swap(var x: integer, var y: integer)
  var t: integer;
  begin
    t := x;
    x := y;
    y := t;
  end;

  function max(x: integer, y: integer): integer
  begin
    if x > y then return x; end;
    return y;
  end;

  function stars(n: integer): string
  var s: string[128];
    i: integer;
  begin
    s := '';
    for i := 1 to n do s := s + '*'; end;
    return s;
  end;

begin
  a := 3;
  b := 8;
  line();
  writeln('a = ', a, ', b = ', b);
  swap(a, b);
  writeln('after swap: a = ', a, ', b = ', b);
  writeln('the larger is ', max(a, b));
  line();
  writeln(stars(a));
  writeln(stars(b));
  line();
end.
