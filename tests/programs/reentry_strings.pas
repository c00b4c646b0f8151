function outer(n: integer): integer
var acc: integer;
  tag: string[10];
  procedure inner(k: integer)
  begin
    if k > 0 then acc := acc + outer(k - 1); end;
    acc := acc + 1;
  end;
begin
  acc := 0;
  tag := 'n' + inttostr(n);
  inner(n);
  inner(n - 1);
  write(tag, '=', acc, ' ');
  return acc;
end;

function echo(s: string, n: integer): string
var mine: string[40];
begin
  mine := s;
  if n > 0 then mine := echo(s + '>', n - 1) + '|' + mine; end;
  return mine;
end;

procedure grow(var s: string, n: integer)
var keep: string[10];
begin
  keep := inttostr(n);
  if n > 0 then grow(s, n - 1); end;
  s := s + keep;
end;

program reentry_strings()
var t: string[50];
  r: integer;
begin
  r := outer(2);
  writeln;
  writeln(r);
  writeln(echo('a', 3));
  t := '';
  grow(t, 5);
  writeln(t);
end.
