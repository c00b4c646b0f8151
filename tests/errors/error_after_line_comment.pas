program p() // the heading
var a: integer; // a counter
begin
  a := 12.;
end.
