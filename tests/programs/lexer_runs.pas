program lexer_runs()
// Names, numbers, blanks and string literals read in runs, next to comments
var Count_1, b: integer;
    s: string[40];
begin
  count_1 := 12345{ a comment right after the digits };
  b := COUNT_1// a comment right after a name
    + 5;
	 	 b := b{x}+1;
  s := 'a//b / ; x';
  writeln(s);
  writeln('one/two', count_1, ' ', b);
  writeln(   '   blanks kept   '   );
end.
