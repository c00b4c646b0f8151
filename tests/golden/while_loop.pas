program loop()
var i: integer;
begin
  while i < 10 do i := i + 1; end;
end.
