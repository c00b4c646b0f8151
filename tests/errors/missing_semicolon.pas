program p()
var a: integer;
begin
  a := 1
  a := 2;
end.
