program consts()
const
  n = 10;
  pi = 3.14;
  greeting = 'hello';
  m = 10;
  big = 2147483647;
var
  s: string[n];
  k: integer;
begin
  ;
end.
