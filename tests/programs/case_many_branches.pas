program manycase()
var n, total: integer;
begin
  total := 0;
  for n := 1 to 12 do
    case n of
      1: do total := total + 1; end;
      2: do total := total + 2; end;
      3: do total := total + 3; end;
      4: do total := total + 4; end;
      5: do total := total + 5; end;
      6: do total := total + 6; end;
      7: do total := total + 7; end;
      8: do total := total + 8; end;
      9: do total := total + 9; end;
      10: do total := total + 10; end;
      11: do total := total + 11; end;
    end;
  end;
  writeln(total);
end.
