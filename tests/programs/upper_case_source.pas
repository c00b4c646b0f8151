PROGRAM Upper()
VAR Total, I: INTEGER;
BEGIN
  Total := 0;
  FOR I := 1 TO 4 DO Total := Total + I; END;
  WriteLn(Total);
END.
