unit tools;
