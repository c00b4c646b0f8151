program p()
label skip;
begin
  goto skip;
end.
