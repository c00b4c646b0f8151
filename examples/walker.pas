{ walker: a small console game. Teaches: ClrScr (clear the window),
  PosCursor(column, row) to write anywhere (both counted from 0, the top
  left corner is 0, 0), HideCursor and ShowCursor, and a game loop reading
  one command per line: l, r, u, d move the star inside a 20 by 10 field,
  q ends the game. }
program walker()
var x, y, steps, i: integer;
  cmd: string[10];
begin
  clrscr();
  hidecursor();
  poscursor(0, 0);
  write('+--------------------+');
  for i := 1 to 10 do
    poscursor(0, i);
    write('|                    |');
  end;
  poscursor(0, 11);
  write('+--------------------+');
  x := 10;
  y := 5;
  steps := 0;
  repeat
    poscursor(x, y);
    write('*');
    poscursor(0, 12);
    write('l r u d moves, q ends: ');
    readln(cmd);
    poscursor(x, y);
    write(' ');
    if cmd = 'l' then if x > 1 then x := x - 1; end; end;
    if cmd = 'r' then if x < 20 then x := x + 1; end; end;
    if cmd = 'u' then if y > 1 then y := y - 1; end; end;
    if cmd = 'd' then if y < 10 then y := y + 1; end; end;
    steps := steps + 1;
  until cmd = 'q';
  showcursor();
  poscursor(0, 13);
  writeln('The star stopped at column ', x, ', row ', y, ' after ', steps - 1, ' moves.');
end.
