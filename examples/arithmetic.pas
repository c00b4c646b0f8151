{ arithmetic: reading numbers and computing with them. Teaches: readln with
  one variable at a time, integer operators + - * div mod, the float
  division /, and writing a float with a width and decimals (x:8:2). }
program arithmetic()
var a, b: integer;
  x: float;
begin
  write('First whole number: ');
  readln(a);
  write('Second whole number: ');
  readln(b);
  writeln;
  writeln(a, ' + ', b, ' = ', a + b);
  writeln(a, ' - ', b, ' = ', a - b);
  writeln(a, ' * ', b, ' = ', a * b);
  x := a / b;
  writeln(a, ' / ', b, ' = ', x:8:3);
  writeln(a, ' div ', b, ' = ', a div b, ', remainder ', a mod b);
  write('A price in roubles: ');
  readln(x);
  writeln;
  writeln('With 20% tax: ', x * 1.2:10:2);
end.
