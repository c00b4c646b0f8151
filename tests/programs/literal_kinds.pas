program literal_kinds()
var i: integer;
  s: string[20];
  x: float;
begin
  s := '12';
  i := 12;
  writeln(s, ' ', i, ' ', strtoint('12') + 12);
  x := 3.5;
  writeln('3.5', ' ', x:4:1, ' ', 3.5:4:1);
  writeln(7, ' ', '7');
end.
