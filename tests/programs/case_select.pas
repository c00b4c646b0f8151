program cases()
var n: integer;
begin
  for n := 0 to 6 do
    case n of
      0: do write('zero'); end;
      1..2: do write('small'); end;
      3: do write('three'); end;
      else do write('many'); end;
    end;
    write(' ');
  end;
  writeln;
end.
