program p()
var a: integer;
begin
  a := 'x';
end.
