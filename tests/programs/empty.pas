program empty()
begin
;
end.
