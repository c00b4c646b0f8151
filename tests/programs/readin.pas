program readin()
var s: string[3];
  i: integer;
  line: string[20];
procedure get(var t: string)
begin
  readln(t);
end;
begin
  get(s);
  writeln(s);
  readln;
  readln(i);
  writeln(i + 1);
  readln(line);
  writeln(line);
end.
