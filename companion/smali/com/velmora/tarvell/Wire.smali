.class public final Lcom/velmora/tarvell/Wire;
.super Ljava/lang/Object;
.source "Wire.smali"

# Helpers for the answer bodies: little-endian integers, upper-case
# hexadecimal of UTF-8 text, tagged record entries.

.method private constructor <init>()V
    .locals 0
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    return-void
.end method

# Upper-case hexadecimal of the UTF-8 bytes of p0.
.method public static hex(Ljava/lang/String;)Ljava/lang/String;
    .locals 6
    const-string v0, "UTF-8"
    invoke-virtual {p0, v0}, Ljava/lang/String;->getBytes(Ljava/lang/String;)[B
    move-result-object v0
    array-length v1, v0
    new-instance v2, Ljava/lang/StringBuilder;
    mul-int/lit8 v3, v1, 0x2
    invoke-direct {v2, v3}, Ljava/lang/StringBuilder;-><init>(I)V
    const-string v5, "0123456789ABCDEF"
    const/4 v3, 0x0
    :loop
    if-ge v3, v1, :done
    aget-byte v4, v0, v3
    shr-int/lit8 v4, v4, 0x4
    and-int/lit8 v4, v4, 0xf
    invoke-virtual {v5, v4}, Ljava/lang/String;->charAt(I)C
    move-result v4
    invoke-virtual {v2, v4}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    aget-byte v4, v0, v3
    and-int/lit8 v4, v4, 0xf
    invoke-virtual {v5, v4}, Ljava/lang/String;->charAt(I)C
    move-result v4
    invoke-virtual {v2, v4}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    add-int/lit8 v3, v3, 0x1
    goto :loop
    :done
    invoke-virtual {v2}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

# The bytes of an even-length hexadecimal text (either case), or null when
# the text is not one.
.method public static unhex(Ljava/lang/String;)[B
    .locals 6
    invoke-virtual {p0}, Ljava/lang/String;->length()I
    move-result v0
    and-int/lit8 v1, v0, 0x1
    if-nez v1, :bad
    div-int/lit8 v1, v0, 0x2
    new-array v1, v1, [B
    const/4 v2, 0x0
    :loop
    if-ge v2, v0, :done
    invoke-virtual {p0, v2}, Ljava/lang/String;->charAt(I)C
    move-result v3
    const/16 v5, 0x10
    invoke-static {v3, v5}, Ljava/lang/Character;->digit(CI)I
    move-result v3
    if-ltz v3, :bad
    add-int/lit8 v4, v2, 0x1
    invoke-virtual {p0, v4}, Ljava/lang/String;->charAt(I)C
    move-result v4
    invoke-static {v4, v5}, Ljava/lang/Character;->digit(CI)I
    move-result v4
    if-ltz v4, :bad
    shl-int/lit8 v3, v3, 0x4
    or-int/2addr v3, v4
    int-to-byte v3, v3
    div-int/lit8 v4, v2, 0x2
    aput-byte v3, v1, v4
    add-int/lit8 v2, v2, 0x2
    goto :loop
    :done
    return-object v1
    :bad
    const/4 v1, 0x0
    return-object v1
.end method

# The UTF-8 text of a hexadecimal argument, or null when it is not one.
.method public static unhexText(Ljava/lang/String;)Ljava/lang/String;
    .locals 2
    invoke-static {p0}, Lcom/velmora/tarvell/Wire;->unhex(Ljava/lang/String;)[B
    move-result-object v0
    if-nez v0, :ok
    const/4 v0, 0x0
    return-object v0
    :ok
    new-instance v1, Ljava/lang/String;
    const-string p0, "UTF-8"
    invoke-direct {v1, v0, p0}, Ljava/lang/String;-><init>([BLjava/lang/String;)V
    return-object v1
.end method

.method public static utf8(Ljava/lang/String;)[B
    .locals 1
    const-string v0, "UTF-8"
    invoke-virtual {p0, v0}, Ljava/lang/String;->getBytes(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method public static le32(I)[B
    .locals 3
    const/4 v0, 0x4
    new-array v0, v0, [B
    const/4 v1, 0x0
    :loop
    const/4 v2, 0x4
    if-ge v1, v2, :done
    int-to-byte v2, p0
    aput-byte v2, v0, v1
    shr-int/lit8 p0, p0, 0x8
    add-int/lit8 v1, v1, 0x1
    goto :loop
    :done
    return-object v0
.end method

.method public static le64(J)[B
    .locals 4
    const/16 v0, 0x8
    new-array v0, v0, [B
    const/4 v1, 0x0
    :loop
    const/16 v2, 0x8
    if-ge v1, v2, :done
    long-to-int v2, p0
    int-to-byte v2, v2
    aput-byte v2, v0, v1
    const/16 v3, 0x8
    shr-long/2addr p0, v3
    add-int/lit8 v1, v1, 0x1
    goto :loop
    :done
    return-object v0
.end method

# Appends "TAG:HEX;" for a present value; a null value adds nothing.
.method public static entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    .locals 1
    if-eqz p2, :skip
    invoke-virtual {p0, p1}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    const/16 v0, 0x3a
    invoke-virtual {p0, v0}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    invoke-static {p2}, Lcom/velmora/tarvell/Wire;->hex(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    invoke-virtual {p0, v0}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    const/16 v0, 0x3b
    invoke-virtual {p0, v0}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    :skip
    return-void
.end method

# Milliseconds since the epoch as local "yyyy-MM-dd HH:mm:ss".
.method public static localDate(J)Ljava/lang/String;
    .locals 3
    new-instance v0, Ljava/text/SimpleDateFormat;
    const-string v1, "yyyy-MM-dd HH:mm:ss"
    sget-object v2, Ljava/util/Locale;->US:Ljava/util/Locale;
    invoke-direct {v0, v1, v2}, Ljava/text/SimpleDateFormat;-><init>(Ljava/lang/String;Ljava/util/Locale;)V
    new-instance v1, Ljava/util/Date;
    invoke-direct {v1, p0, p1}, Ljava/util/Date;-><init>(J)V
    invoke-virtual {v0, v1}, Ljava/text/DateFormat;->format(Ljava/util/Date;)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

# Local "yyyy-MM-dd HH:mm:ss" or seconds since the epoch as milliseconds;
# -1 when the text is neither.
.method public static parseDate(Ljava/lang/String;)J
    .locals 4
    :try_start
    invoke-static {p0}, Ljava/lang/Long;->parseLong(Ljava/lang/String;)J
    move-result-wide v0
    const-wide/16 v2, 0x3e8
    mul-long/2addr v0, v2
    return-wide v0
    :try_end
    .catch Ljava/lang/NumberFormatException; {:try_start .. :try_end} :text
    :text
    :try_start2
    new-instance v0, Ljava/text/SimpleDateFormat;
    const-string v1, "yyyy-MM-dd HH:mm:ss"
    sget-object v2, Ljava/util/Locale;->US:Ljava/util/Locale;
    invoke-direct {v0, v1, v2}, Ljava/text/SimpleDateFormat;-><init>(Ljava/lang/String;Ljava/util/Locale;)V
    invoke-virtual {v0, p0}, Ljava/text/DateFormat;->parse(Ljava/lang/String;)Ljava/util/Date;
    move-result-object v0
    invoke-virtual {v0}, Ljava/util/Date;->getTime()J
    move-result-wide v0
    return-wide v0
    :try_end2
    .catch Ljava/lang/Exception; {:try_start2 .. :try_end2} :bad
    :bad
    const-wide/16 v0, -0x1
    return-wide v0
.end method
