// A program full of comments
program comments() { the heading }
var a: integer; // a counter
{ a comment
  across lines }
begin
  a := 1; { inline } a := a + 1;
  writeln(a); // done
end.
