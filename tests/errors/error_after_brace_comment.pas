program p()
var a: integer; { a comment
  over two lines } b: integer;
begin
  a := b +;
end.
