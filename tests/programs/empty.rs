Company=
Description=
FileVersion=1.0.0.1
Copyright=(c) , 2026
ProductName=
ProductVersion=1.0.0.1
