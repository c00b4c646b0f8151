program p()
var total: integer;
begin
  Total := 1;
  count := total;
end.
