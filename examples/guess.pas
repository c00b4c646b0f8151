{ guess: a guessing game. Teaches: random(n), which gives a whole number
  from 1 to n; a repeat loop driven by the player's input; if ... else.
  A number given on the command line (guess.exe 37) fixes the secret, which
  is handy for testing the program. }
program guess()
var secret, tip, tries: integer;
begin
  if paramcount() > 1 then
    secret := strtoint(paramstr(1));
  else
    secret := random(100);
  end;
  writeln('I am thinking of a number from 1 to 100.');
  tries := 0;
  repeat
    write('Your guess: ');
    readln(tip);
    tries := tries + 1;
    if tip < secret then
      writeln('  more');
    else
      if tip > secret then
        writeln('  less');
      end;
    end;
  until tip = secret;
  writeln('Right! You needed ', tries, ' tries.');
end.
