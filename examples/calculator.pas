{ calculator: choosing with case. Teaches: the case statement with single
  values, a range (3..4) and else, each branch written "value: do ... end;",
  and a menu loop that reads the user's choice. }
program calculator()
var choice, a, b: integer;
begin
  repeat
    writeln('1 add  2 subtract  3..4 multiply  5 divide  0 quit');
    write('choice: ');
    readln(choice);
    if choice <> 0 then
      write('a = ');
      readln(a);
      write('b = ');
      readln(b);
      case choice of
        1: do writeln(a, ' + ', b, ' = ', a + b); end;
        2: do writeln(a, ' - ', b, ' = ', a - b); end;
        3..4: do writeln(a, ' * ', b, ' = ', a * b); end;
        5: do
          if b = 0 then
            writeln('cannot divide by zero');
          else
            writeln(a, ' / ', b, ' = ', a / b:8:3);
          end;
        end;
        else do writeln('no such choice'); end;
      end;
    end;
  until choice = 0;
  writeln('bye');
end.
