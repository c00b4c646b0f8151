{ args: command-line arguments. Teaches: paramcount (which counts the
  program's own name too), paramstr(i) (paramstr(0) is the program's name)
  and strtoint, by adding up the numbers given after the program's name:
  args.exe 10 20 12 writes their sum. }
program args()
var i, sum: integer;
begin
  if paramcount() = 1 then
    writeln('Give some numbers after the program name, e.g. args 10 20 12');
  else
    sum := 0;
    for i := 1 to paramcount() - 1 do
      writeln(i, ': ', paramstr(i));
      sum := sum + strtoint(paramstr(i));
    end;
    writeln('sum = ', sum);
  end;
end.
