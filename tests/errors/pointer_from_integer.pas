program p()
type r = record n: integer; end;
var q: ^r;
  a: integer;
begin
  q := a;
end.
