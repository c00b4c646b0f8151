{ linenumbers: text files. Teaches: rewrite (create a file), writestring,
  close, reset (open for reading), eof and readstring in a loop, and
  copying one file to another with a line number before every line. }
program linenumbers()
var f, g: text;
  s: string[128];
  n: integer;
begin
  f := rewrite('poem.txt');
  writestring(f, 'Буря мглою небо кроет,');
  writestring(f, 'Вихри снежные крутя;');
  writestring(f, 'То, как зверь, она завоет,');
  writestring(f, 'То заплачет, как дитя.');
  close(f);

  f := reset('poem.txt');
  g := rewrite('numbered.txt');
  n := 0;
  while eof(f) = 0 do
    s := readstring(f);
    n := n + 1;
    writestring(g, inttostr(n) + ': ' + s);
  end;
  close(f);
  close(g);
  writeln(n, ' lines copied to numbered.txt:');

  g := reset('numbered.txt');
  while eof(g) = 0 do
    writeln(readstring(g));
  end;
  close(g);
end.
