program empty()
begin
  ;
end.
