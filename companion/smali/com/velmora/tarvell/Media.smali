.class public final Lcom/velmora/tarvell/Media;
.super Ljava/lang/Object;
.source "Media.smali"

# Photos, music and videos through MediaStore: the list of each kind (ids in
# MediaStore order), one record per item, its path, its bytes in chunks and
# its thumbnail; uploads into the kind's folder of the shared storage
# ("Images", "Music", "Videos"), name checks and deletes.
#
# Before Android 10 an upload is written to a hidden temporary file beside
# its final name and becomes visible (renamed, then scanned into MediaStore)
# only when the computer announces it after closing it. From Android 10 the
# app may not create files there: an upload is a pending MediaStore row
# (IS_PENDING=1) in the kind's own folder ("Pictures", "Music", "Movies"),
# written through the resolver and published (IS_PENDING=0) when announced.
# An aborted upload, one replaced by a new open, and one whose connection
# ends are deleted (file or row), so a half-sent file never shows in the
# owner's gallery.

.field static final COMMANDS:[[Ljava/lang/String;
.field static final COLUMNS:[[Ljava/lang/String;
.field static final TAGS:[[Ljava/lang/String;
.field static final URIS:[Ljava/lang/String;

.field private final context:Landroid/content/Context;
.field private final lists:[Ljava/util/ArrayList;
# The file the last chunk came from, kept open for the next chunk.
.field private openId:J
.field private openFile:Ljava/io/RandomAccessFile;
# Per kind: the upload being written, its temporary file and its final name.
.field private final uploads:[Ljava/io/OutputStream;
.field private final pending:[Ljava/io/File;
.field private final pendingNames:[Ljava/lang/String;
# Per kind, from Android 10: the pending MediaStore row of the upload.
.field private final pendingRows:[Landroid/net/Uri;

.method static constructor <clinit>()V
    .locals 5
    const/4 v1, 0x3
    const/16 v2, 0xe
    filled-new-array {v1, v2}, [I
    move-result-object v1
    const-class v2, Ljava/lang/String;
    invoke-static {v2, v1}, Ljava/lang/reflect/Array;->newInstance(Ljava/lang/Class;[I)Ljava/lang/Object;
    move-result-object v0
    check-cast v0, [[Ljava/lang/String;
    sput-object v0, Lcom/velmora/tarvell/Media;->COMMANDS:[[Ljava/lang/String;
    const/4 v1, 0x0
    aget-object v1, v0, v1
    const/16 v2, 0x0
    const-string v3, "flushphotolist"
    aput-object v3, v1, v2
    const/16 v2, 0x1
    const-string v3, "getdcimcount"
    aput-object v3, v1, v2
    const/16 v2, 0x2
    const-string v3, "getdcimindexinfo"
    aput-object v3, v1, v2
    const/16 v2, 0x3
    const-string v3, "getdcimthumb"
    aput-object v3, v1, v2
    const/16 v2, 0x4
    const-string v3, "deletephoto"
    aput-object v3, v1, v2
    const/16 v2, 0x5
    const-string v3, "ClearPhotos"
    aput-object v3, v1, v2
    const/16 v2, 0x6
    const-string v3, "checkFileisExist"
    aput-object v3, v1, v2
    const/16 v2, 0x7
    const-string v3, "addphototodevice"
    aput-object v3, v1, v2
    const/16 v2, 0x8
    const-string v3, "addphototodevice_abort"
    aput-object v3, v1, v2
    const/16 v2, 0x9
    const-string v3, "open_photofile"
    aput-object v3, v1, v2
    const/16 v2, 0xa
    const-string v3, "write_photofile"
    aput-object v3, v1, v2
    const/16 v2, 0xb
    const-string v3, "close_photofile"
    aput-object v3, v1, v2
    const/16 v2, 0xc
    const-string v3, "getfilepathForid"
    aput-object v3, v1, v2
    const/16 v2, 0xd
    const-string v3, "getdcimdata"
    aput-object v3, v1, v2
    const/4 v1, 0x1
    aget-object v1, v0, v1
    const/16 v2, 0x0
    const-string v3, "flushmusiclist"
    aput-object v3, v1, v2
    const/16 v2, 0x1
    const-string v3, "getmusiccount"
    aput-object v3, v1, v2
    const/16 v2, 0x2
    const-string v3, "getmusicindexinfo"
    aput-object v3, v1, v2
    const/16 v2, 0x3
    const-string v3, "getmusicthumb"
    aput-object v3, v1, v2
    const/16 v2, 0x4
    const-string v3, "deletemusic"
    aput-object v3, v1, v2
    const/16 v2, 0x5
    const-string v3, "ClearMusic"
    aput-object v3, v1, v2
    const/16 v2, 0x6
    const-string v3, "checkMusicFileisExist"
    aput-object v3, v1, v2
    const/16 v2, 0x7
    const-string v3, "addmusictodevice"
    aput-object v3, v1, v2
    const/16 v2, 0x8
    const-string v3, "addmusictodevice_abort"
    aput-object v3, v1, v2
    const/16 v2, 0x9
    const-string v3, "open_Musicfile"
    aput-object v3, v1, v2
    const/16 v2, 0xa
    const-string v3, "write_musicfile"
    aput-object v3, v1, v2
    const/16 v2, 0xb
    const-string v3, "close_Musicfile"
    aput-object v3, v1, v2
    const/16 v2, 0xc
    const-string v3, "GetMusicPathById"
    aput-object v3, v1, v2
    const/16 v2, 0xd
    const-string v3, "exportfilefromdevice_music"
    aput-object v3, v1, v2
    const/4 v1, 0x2
    aget-object v1, v0, v1
    const/16 v2, 0x0
    const-string v3, "flushvideolist"
    aput-object v3, v1, v2
    const/16 v2, 0x1
    const-string v3, "getvideocount"
    aput-object v3, v1, v2
    const/16 v2, 0x2
    const-string v3, "getvideoindexinfo"
    aput-object v3, v1, v2
    const/16 v2, 0x4
    const-string v3, "deletevideofromdevice"
    aput-object v3, v1, v2
    const/16 v2, 0x5
    const-string v3, "ClearVideos"
    aput-object v3, v1, v2
    const/16 v2, 0x6
    const-string v3, "checkVideoFileisExist"
    aput-object v3, v1, v2
    const/16 v2, 0x7
    const-string v3, "addvideotodevice"
    aput-object v3, v1, v2
    const/16 v2, 0x8
    const-string v3, "addvideotodevice_abort"
    aput-object v3, v1, v2
    const/16 v2, 0x9
    const-string v3, "open_videofile"
    aput-object v3, v1, v2
    const/16 v2, 0xa
    const-string v3, "write_videofile"
    aput-object v3, v1, v2
    const/16 v2, 0xb
    const-string v3, "close_videofile"
    aput-object v3, v1, v2
    const/16 v2, 0xc
    const-string v3, "GetVideoPathById"
    aput-object v3, v1, v2
    const/16 v2, 0xd
    const-string v3, "exportfilefromdevice_video"
    aput-object v3, v1, v2
    const/4 v1, 0x3
    new-array v2, v1, [[Ljava/lang/String;
    sput-object v2, Lcom/velmora/tarvell/Media;->COLUMNS:[[Ljava/lang/String;
    new-array v2, v1, [[Ljava/lang/String;
    sput-object v2, Lcom/velmora/tarvell/Media;->TAGS:[[Ljava/lang/String;
    const/16 v1, 0x6
    new-array v2, v1, [Ljava/lang/String;
    new-array v3, v1, [Ljava/lang/String;
    const/16 v1, 0x0
    const-string v4, "_id"
    aput-object v4, v2, v1
    const-string v4, "ID"
    aput-object v4, v3, v1
    const/16 v1, 0x1
    const-string v4, "title"
    aput-object v4, v2, v1
    const-string v4, "TILTE"
    aput-object v4, v3, v1
    const/16 v1, 0x2
    const-string v4, "_data"
    aput-object v4, v2, v1
    const-string v4, "PATH"
    aput-object v4, v3, v1
    const/16 v1, 0x3
    const-string v4, "_size"
    aput-object v4, v2, v1
    const-string v4, "SIZE"
    aput-object v4, v3, v1
    const/16 v1, 0x4
    const-string v4, "date_modified"
    aput-object v4, v2, v1
    const-string v4, "MODIFTIME"
    aput-object v4, v3, v1
    const/16 v1, 0x5
    const-string v4, "date_added"
    aput-object v4, v2, v1
    const-string v4, "CREATETIME"
    aput-object v4, v3, v1
    const/4 v1, 0x0
    sget-object v4, Lcom/velmora/tarvell/Media;->COLUMNS:[[Ljava/lang/String;
    aput-object v2, v4, v1
    sget-object v4, Lcom/velmora/tarvell/Media;->TAGS:[[Ljava/lang/String;
    aput-object v3, v4, v1
    const/16 v1, 0xa
    new-array v2, v1, [Ljava/lang/String;
    new-array v3, v1, [Ljava/lang/String;
    const/16 v1, 0x0
    const-string v4, "_id"
    aput-object v4, v2, v1
    const-string v4, "ID"
    aput-object v4, v3, v1
    const/16 v1, 0x1
    const-string v4, "album_id"
    aput-object v4, v2, v1
    const-string v4, "ALBUMID"
    aput-object v4, v3, v1
    const/16 v1, 0x2
    const-string v4, "title"
    aput-object v4, v2, v1
    const-string v4, "TILTE"
    aput-object v4, v3, v1
    const/16 v1, 0x3
    const-string v4, "album"
    aput-object v4, v2, v1
    const-string v4, "ALBUM"
    aput-object v4, v3, v1
    const/16 v1, 0x4
    const-string v4, "artist"
    aput-object v4, v2, v1
    const-string v4, "ARTIST"
    aput-object v4, v3, v1
    const/16 v1, 0x5
    const-string v4, "_data"
    aput-object v4, v2, v1
    const-string v4, "PATH"
    aput-object v4, v3, v1
    const/16 v1, 0x6
    const-string v4, "duration"
    aput-object v4, v2, v1
    const-string v4, "DURATION"
    aput-object v4, v3, v1
    const/16 v1, 0x7
    const-string v4, "_size"
    aput-object v4, v2, v1
    const-string v4, "SIZE"
    aput-object v4, v3, v1
    const/16 v1, 0x8
    const-string v4, "date_modified"
    aput-object v4, v2, v1
    const-string v4, "MODIFTIME"
    aput-object v4, v3, v1
    const/16 v1, 0x9
    const-string v4, "date_added"
    aput-object v4, v2, v1
    const-string v4, "CREATETIME"
    aput-object v4, v3, v1
    const/4 v1, 0x1
    sget-object v4, Lcom/velmora/tarvell/Media;->COLUMNS:[[Ljava/lang/String;
    aput-object v2, v4, v1
    sget-object v4, Lcom/velmora/tarvell/Media;->TAGS:[[Ljava/lang/String;
    aput-object v3, v4, v1
    const/16 v1, 0x8
    new-array v2, v1, [Ljava/lang/String;
    new-array v3, v1, [Ljava/lang/String;
    const/16 v1, 0x0
    const-string v4, "_id"
    aput-object v4, v2, v1
    const-string v4, "ID"
    aput-object v4, v3, v1
    const/16 v1, 0x1
    const-string v4, "title"
    aput-object v4, v2, v1
    const-string v4, "TILTE"
    aput-object v4, v3, v1
    const/16 v1, 0x2
    const-string v4, "_display_name"
    aput-object v4, v2, v1
    const-string v4, "DISPLAYNAME"
    aput-object v4, v3, v1
    const/16 v1, 0x3
    const-string v4, "_data"
    aput-object v4, v2, v1
    const-string v4, "PATH"
    aput-object v4, v3, v1
    const/16 v1, 0x4
    const-string v4, "duration"
    aput-object v4, v2, v1
    const-string v4, "DURATION"
    aput-object v4, v3, v1
    const/16 v1, 0x5
    const-string v4, "_size"
    aput-object v4, v2, v1
    const-string v4, "SIZE"
    aput-object v4, v3, v1
    const/16 v1, 0x6
    const-string v4, "date_modified"
    aput-object v4, v2, v1
    const-string v4, "MODIFTIME"
    aput-object v4, v3, v1
    const/16 v1, 0x7
    const-string v4, "date_added"
    aput-object v4, v2, v1
    const-string v4, "CREATETIME"
    aput-object v4, v3, v1
    const/4 v1, 0x2
    sget-object v4, Lcom/velmora/tarvell/Media;->COLUMNS:[[Ljava/lang/String;
    aput-object v2, v4, v1
    sget-object v4, Lcom/velmora/tarvell/Media;->TAGS:[[Ljava/lang/String;
    aput-object v3, v4, v1
    const/4 v1, 0x3
    new-array v2, v1, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v3, "content://media/external/images/media"
    aput-object v3, v2, v1
    const/4 v1, 0x1
    const-string v3, "content://media/external/audio/media"
    aput-object v3, v2, v1
    const/4 v1, 0x2
    const-string v3, "content://media/external/video/media"
    aput-object v3, v2, v1
    sput-object v2, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    return-void
.end method

.method public constructor <init>(Landroid/content/Context;)V
    .locals 1
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    iput-object p1, p0, Lcom/velmora/tarvell/Media;->context:Landroid/content/Context;
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/util/ArrayList;
    iput-object v0, p0, Lcom/velmora/tarvell/Media;->lists:[Ljava/util/ArrayList;
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/io/OutputStream;
    iput-object v0, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/io/File;
    iput-object v0, p0, Lcom/velmora/tarvell/Media;->pending:[Ljava/io/File;
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    iput-object v0, p0, Lcom/velmora/tarvell/Media;->pendingNames:[Ljava/lang/String;
    const/4 v0, 0x3
    new-array v0, v0, [Landroid/net/Uri;
    iput-object v0, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    return-void
.end method

# Whether a command name is one of the file write commands, which carry a
# payload.
.method public static isWrite(Ljava/lang/String;)Z
    .locals 1
    const-string v0, "write_photofile"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-nez v0, :yes
    const-string v0, "write_musicfile"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-nez v0, :yes
    const-string v0, "write_videofile"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    :yes
    return v0
.end method

.method private resolver()Landroid/content/ContentResolver;
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->context:Landroid/content/Context;
    invoke-virtual {v0}, Landroid/content/Context;->getContentResolver()Landroid/content/ContentResolver;
    move-result-object v0
    return-object v0
.end method

# Queries the kind's table: projection, selection "_id=?" for id >= 0 or
# everything for id < 0, in _id order.
.method private query(I[Ljava/lang/String;J)Landroid/database/Cursor;
    .locals 7
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v0
    sget-object v1, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    aget-object v1, v1, p1
    invoke-static {v1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    move-object v2, p2
    const/4 v3, 0x0
    const/4 v4, 0x0
    const-wide/16 v5, 0x0
    cmp-long v5, p3, v5
    if-ltz v5, :all
    const-string v3, "_id=?"
    const/4 v4, 0x1
    new-array v4, v4, [Ljava/lang/String;
    invoke-static {p3, p4}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v5
    const/4 v6, 0x0
    aput-object v5, v4, v6
    :all
    const-string v5, "_id ASC"
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    return-object v0
.end method

# Rebuilds the kind's list; answers its length.
.method private flush(I)I
    .locals 5
    new-instance v0, Ljava/util/ArrayList;
    invoke-direct {v0}, Ljava/util/ArrayList;-><init>()V
    const/4 v1, 0x1
    new-array v1, v1, [Ljava/lang/String;
    const-string v2, "_id"
    const/4 v3, 0x0
    aput-object v2, v1, v3
    const-wide/16 v2, -0x1
    invoke-direct {p0, p1, v1, v2, v3}, Lcom/velmora/tarvell/Media;->query(I[Ljava/lang/String;J)Landroid/database/Cursor;
    move-result-object v1
    if-eqz v1, :done
    :row
    invoke-interface {v1}, Landroid/database/Cursor;->moveToNext()Z
    move-result v2
    if-eqz v2, :closing
    const/4 v2, 0x0
    invoke-interface {v1, v2}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v2
    invoke-static {v2, v3}, Ljava/lang/Long;->valueOf(J)Ljava/lang/Long;
    move-result-object v4
    invoke-virtual {v0, v4}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    goto :row
    :closing
    invoke-interface {v1}, Landroid/database/Cursor;->close()V
    :done
    iget-object v1, p0, Lcom/velmora/tarvell/Media;->lists:[Ljava/util/ArrayList;
    aput-object v0, v1, p1
    invoke-virtual {v0}, Ljava/util/ArrayList;->size()I
    move-result v0
    return v0
.end method

.method private list(I)Ljava/util/ArrayList;
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->lists:[Ljava/util/ArrayList;
    aget-object v0, v0, p1
    if-nez v0, :built
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->flush(I)I
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->lists:[Ljava/util/ArrayList;
    aget-object v0, v0, p1
    :built
    return-object v0
.end method

# The id at a list position (decimal text), -1 when there is none.
.method private idAt(ILjava/lang/String;)J
    .locals 3
    invoke-static {p2}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v0
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->list(I)Ljava/util/ArrayList;
    move-result-object v1
    if-ltz v0, :none
    invoke-virtual {v1}, Ljava/util/ArrayList;->size()I
    move-result v2
    if-ge v0, v2, :none
    invoke-virtual {v1, v0}, Ljava/util/ArrayList;->get(I)Ljava/lang/Object;
    move-result-object v0
    check-cast v0, Ljava/lang/Long;
    invoke-virtual {v0}, Ljava/lang/Long;->longValue()J
    move-result-wide v0
    return-wide v0
    :none
    const-wide/16 v0, -0x1
    return-wide v0
.end method

# The record of one item; durations go in seconds, "" when the item is gone.
.method private info(IJ)Ljava/lang/String;
    .locals 9
    new-instance v8, Ljava/lang/StringBuilder;
    invoke-direct {v8}, Ljava/lang/StringBuilder;-><init>()V
    const-wide/16 v0, 0x0
    cmp-long v0, p2, v0
    if-ltz v0, :done
    sget-object v0, Lcom/velmora/tarvell/Media;->COLUMNS:[[Ljava/lang/String;
    aget-object v6, v0, p1
    sget-object v0, Lcom/velmora/tarvell/Media;->TAGS:[[Ljava/lang/String;
    aget-object v7, v0, p1
    invoke-direct {p0, p1, v6, p2, p3}, Lcom/velmora/tarvell/Media;->query(I[Ljava/lang/String;J)Landroid/database/Cursor;
    move-result-object v0
    if-eqz v0, :done
    invoke-interface {v0}, Landroid/database/Cursor;->moveToFirst()Z
    move-result v1
    if-eqz v1, :closing
    const/4 v1, 0x0
    :column
    array-length v2, v6
    if-ge v1, v2, :closing
    invoke-interface {v0, v1}, Landroid/database/Cursor;->isNull(I)Z
    move-result v2
    if-nez v2, :next
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v2
    aget-object v3, v6, v1
    const-string v4, "duration"
    invoke-virtual {v4, v3}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v3
    if-eqz v3, :plain
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v2
    const-wide/16 v4, 0x3e8
    div-long/2addr v2, v4
    invoke-static {v2, v3}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v2
    :plain
    aget-object v3, v7, v1
    invoke-static {v8, v3, v2}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    :next
    add-int/lit8 v1, v1, 0x1
    goto :column
    :closing
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :done
    invoke-virtual {v8}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

# The phone's small thumbnail of a photo or video, or a song's album art
# (a plain picture when it has none), as JPEG; empty for an item that is
# not in the list.
.method private thumbnail(IJ)[B
    .locals 6
    const/4 v0, 0x0
    new-array v0, v0, [B
    const-wide/16 v1, 0x0
    cmp-long v1, p2, v1
    if-ltz v1, :done
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v1
    # MINI_KIND
    const/4 v2, 0x1
    const/4 v3, 0x0
    if-nez p1, :not_photo
    invoke-static {v1, p2, p3, v2, v3}, Landroid/provider/MediaStore$Images$Thumbnails;->getThumbnail(Landroid/content/ContentResolver;JILandroid/graphics/BitmapFactory$Options;)Landroid/graphics/Bitmap;
    move-result-object v1
    goto :got
    :not_photo
    const/4 v4, 0x1
    if-ne p1, v4, :not_music
    invoke-direct {p0, p2, p3}, Lcom/velmora/tarvell/Media;->albumArt(J)Landroid/graphics/Bitmap;
    move-result-object v1
    goto :got
    :not_music
    const/4 v4, 0x2
    if-ne p1, v4, :done
    invoke-static {v1, p2, p3, v2, v3}, Landroid/provider/MediaStore$Video$Thumbnails;->getThumbnail(Landroid/content/ContentResolver;JILandroid/graphics/BitmapFactory$Options;)Landroid/graphics/Bitmap;
    move-result-object v1
    :got
    if-eqz v1, :done
    new-instance v2, Ljava/io/ByteArrayOutputStream;
    invoke-direct {v2}, Ljava/io/ByteArrayOutputStream;-><init>()V
    sget-object v3, Landroid/graphics/Bitmap$CompressFormat;->JPEG:Landroid/graphics/Bitmap$CompressFormat;
    const/16 v4, 0x55
    invoke-virtual {v1, v3, v4, v2}, Landroid/graphics/Bitmap;->compress(Landroid/graphics/Bitmap$CompressFormat;ILjava/io/OutputStream;)Z
    move-result v3
    invoke-virtual {v1}, Landroid/graphics/Bitmap;->recycle()V
    if-eqz v3, :done
    invoke-virtual {v2}, Ljava/io/ByteArrayOutputStream;->toByteArray()[B
    move-result-object v0
    :done
    return-object v0
.end method

# The file path of an item of the kind, null when there is none.
.method private pathOf(IJ)Ljava/lang/String;
    .locals 4
    const/4 v0, 0x1
    new-array v0, v0, [Ljava/lang/String;
    const-string v1, "_data"
    const/4 v2, 0x0
    aput-object v1, v0, v2
    invoke-direct {p0, p1, v0, p2, p3}, Lcom/velmora/tarvell/Media;->query(I[Ljava/lang/String;J)Landroid/database/Cursor;
    move-result-object v0
    const/4 v1, 0x0
    if-eqz v0, :done
    invoke-interface {v0}, Landroid/database/Cursor;->moveToFirst()Z
    move-result v2
    if-eqz v2, :closing
    const/4 v2, 0x0
    invoke-interface {v0, v2}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v1
    :closing
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :done
    return-object v1
.end method

# At most len bytes (up to 16 MiB) of an item from offset; empty past its
# end or when it is gone.
.method private chunk(IJJI)[B
    .locals 6
    # p0 this, p1 kind, p2-p3 id, p4-p5 offset, p6 len
    const/4 v0, 0x0
    new-array v0, v0, [B
    const-wide/16 v1, 0x0
    cmp-long v1, p4, v1
    if-ltz v1, :done
    if-lez p6, :done
    const/high16 v1, 0x1000000
    if-le p6, v1, :sized
    move p6, v1
    :sized
    iget-object v1, p0, Lcom/velmora/tarvell/Media;->openFile:Ljava/io/RandomAccessFile;
    if-eqz v1, :open
    iget-wide v2, p0, Lcom/velmora/tarvell/Media;->openId:J
    cmp-long v2, v2, p2
    if-eqz v2, :read
    invoke-virtual {v1}, Ljava/io/RandomAccessFile;->close()V
    const/4 v1, 0x0
    iput-object v1, p0, Lcom/velmora/tarvell/Media;->openFile:Ljava/io/RandomAccessFile;
    :open
    invoke-direct {p0, p1, p2, p3}, Lcom/velmora/tarvell/Media;->pathOf(IJ)Ljava/lang/String;
    move-result-object v2
    if-eqz v2, :done
    new-instance v1, Ljava/io/RandomAccessFile;
    const-string v3, "r"
    invoke-direct {v1, v2, v3}, Ljava/io/RandomAccessFile;-><init>(Ljava/lang/String;Ljava/lang/String;)V
    iput-object v1, p0, Lcom/velmora/tarvell/Media;->openFile:Ljava/io/RandomAccessFile;
    iput-wide p2, p0, Lcom/velmora/tarvell/Media;->openId:J
    :read
    invoke-virtual {v1, p4, p5}, Ljava/io/RandomAccessFile;->seek(J)V
    new-array v2, p6, [B
    const/4 v3, 0x0
    :fill
    if-ge v3, p6, :full
    sub-int v4, p6, v3
    invoke-virtual {v1, v2, v3, v4}, Ljava/io/RandomAccessFile;->read([BII)I
    move-result v4
    if-lez v4, :full
    add-int/2addr v3, v4
    goto :fill
    :full
    if-ne v3, p6, :short
    return-object v2
    :short
    invoke-static {v2, v3}, Ljava/util/Arrays;->copyOf([BI)[B
    move-result-object v0
    :done
    return-object v0
.end method

# The answer to a media command, null for a name that is none.
.method public handle(Ljava/lang/String;Ljava/lang/String;[B)[B
    .locals 10
    const/4 v0, 0x0
    :kind
    const/4 v1, 0x3
    if-ge v0, v1, :unknown
    const/4 v1, 0x0
    :op
    const/16 v2, 0xe
    if-ge v1, v2, :next_kind
    sget-object v2, Lcom/velmora/tarvell/Media;->COMMANDS:[[Ljava/lang/String;
    aget-object v2, v2, v0
    aget-object v2, v2, v1
    if-eqz v2, :next_op
    invoke-virtual {v2, p1}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-nez v2, :found
    :next_op
    add-int/lit8 v1, v1, 0x1
    goto :op
    :next_kind
    add-int/lit8 v0, v0, 0x1
    goto :kind
    :unknown
    const/4 v0, 0x0
    return-object v0
    :found
    packed-switch v1, :ops
    # Not served yet: the empty answer.
    const/4 v0, 0x0
    new-array v0, v0, [B
    return-object v0
    :flush
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Media;->flush(I)I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :count
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Media;->list(I)Ljava/util/ArrayList;
    move-result-object v0
    invoke-virtual {v0}, Ljava/util/ArrayList;->size()I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :info
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->idAt(ILjava/lang/String;)J
    move-result-wide v2
    invoke-direct {p0, v0, v2, v3}, Lcom/velmora/tarvell/Media;->info(IJ)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->utf8(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
    :thumb
    # "getmusicthumb:%d:%d;": the position, then a number that is not used.
    const/16 v1, 0x3a
    invoke-virtual {p2, v1}, Ljava/lang/String;->indexOf(I)I
    move-result v1
    if-ltz v1, :position
    const/4 v2, 0x0
    invoke-virtual {p2, v2, v1}, Ljava/lang/String;->substring(II)Ljava/lang/String;
    move-result-object p2
    :position
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->idAt(ILjava/lang/String;)J
    move-result-wide v2
    invoke-direct {p0, v0, v2, v3}, Lcom/velmora/tarvell/Media;->thumbnail(IJ)[B
    move-result-object v0
    return-object v0
    :delete
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->idAt(ILjava/lang/String;)J
    move-result-wide v2
    invoke-direct {p0, v0, v2, v3}, Lcom/velmora/tarvell/Media;->delete(IJ)I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :clear
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Media;->clear(I)[B
    move-result-object v0
    return-object v0
    :check
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->check(ILjava/lang/String;)[B
    move-result-object v0
    return-object v0
    :announce
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->announce(ILjava/lang/String;)[B
    move-result-object v0
    return-object v0
    :abort
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->abort(ILjava/lang/String;)[B
    move-result-object v0
    return-object v0
    :open
    invoke-direct {p0, v0, p2}, Lcom/velmora/tarvell/Media;->open(ILjava/lang/String;)[B
    move-result-object v0
    return-object v0
    :write
    invoke-direct {p0, v0, p3}, Lcom/velmora/tarvell/Media;->write(I[B)[B
    move-result-object v0
    return-object v0
    :close
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Media;->close(I)[B
    move-result-object v0
    return-object v0
    :path
    invoke-static {p2}, Ljava/lang/Long;->parseLong(Ljava/lang/String;)J
    move-result-wide v2
    invoke-direct {p0, v0, v2, v3}, Lcom/velmora/tarvell/Media;->pathOf(IJ)Ljava/lang/String;
    move-result-object v0
    if-nez v0, :some_path
    const-string v0, ""
    :some_path
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->utf8(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
    :data
    const-string v1, ":"
    const/4 v2, -0x1
    invoke-virtual {p2, v1, v2}, Ljava/lang/String;->split(Ljava/lang/String;I)[Ljava/lang/String;
    move-result-object v1
    array-length v2, v1
    const/4 v3, 0x3
    if-ne v2, v3, :bad_data
    const/4 v2, 0x0
    aget-object v2, v1, v2
    invoke-static {v2}, Ljava/lang/Long;->parseLong(Ljava/lang/String;)J
    move-result-wide v2
    const/4 v4, 0x1
    aget-object v4, v1, v4
    invoke-static {v4}, Ljava/lang/Long;->parseLong(Ljava/lang/String;)J
    move-result-wide v4
    const/4 v6, 0x2
    aget-object v6, v1, v6
    invoke-static {v6}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v6
    # The range call takes this, kind, id, offset, len in v3 to v9.
    move v9, v6
    move-wide v7, v4
    move-wide v5, v2
    move v4, v0
    move-object v3, p0
    invoke-direct/range {v3 .. v9}, Lcom/velmora/tarvell/Media;->chunk(IJJI)[B
    move-result-object v0
    return-object v0
    :bad_data
    const/4 v0, 0x0
    new-array v0, v0, [B
    return-object v0
    :ops
    .packed-switch 0x0
        :flush
        :count
        :info
        :thumb
        :delete
        :clear
        :check
        :announce
        :abort
        :open
        :write
        :close
        :path
        :data
    .end packed-switch
    :unknown_op
    const/4 v0, 0x0
    new-array v0, v0, [B
    return-object v0
.end method

# A song's album art: MediaStore's thumbnail of the song from Android 10,
# the album art table before; a plain picture when the song has none or it
# cannot be read.
.method private albumArt(J)Landroid/graphics/Bitmap;
    .locals 6
    sget v0, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v1, 0x1d
    if-lt v0, v1, :table
    :try_start_q
    sget-object v0, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    const/4 v1, 0x1
    aget-object v0, v0, v1
    invoke-static {v0}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v0
    invoke-static {v0, p1, p2}, Landroid/content/ContentUris;->withAppendedId(Landroid/net/Uri;J)Landroid/net/Uri;
    move-result-object v0
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v1
    new-instance v2, Landroid/util/Size;
    const/16 v3, 0x60
    invoke-direct {v2, v3, v3}, Landroid/util/Size;-><init>(II)V
    const/4 v3, 0x0
    invoke-virtual {v1, v0, v2, v3}, Landroid/content/ContentResolver;->loadThumbnail(Landroid/net/Uri;Landroid/util/Size;Landroid/os/CancellationSignal;)Landroid/graphics/Bitmap;
    move-result-object v0
    :try_end_q
    .catch Ljava/lang/Exception; {:try_start_q .. :try_end_q} :fallback
    if-eqz v0, :fallback
    return-object v0
    :table
    const/4 v0, 0x1
    new-array v0, v0, [Ljava/lang/String;
    const-string v1, "album_id"
    const/4 v2, 0x0
    aput-object v1, v0, v2
    const/4 v1, 0x1
    invoke-direct {p0, v1, v0, p1, p2}, Lcom/velmora/tarvell/Media;->query(I[Ljava/lang/String;J)Landroid/database/Cursor;
    move-result-object v0
    const-wide/16 v2, -0x1
    if-eqz v0, :queried
    invoke-interface {v0}, Landroid/database/Cursor;->moveToFirst()Z
    move-result v1
    if-eqz v1, :closing
    const/4 v1, 0x0
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v2
    :closing
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :queried
    const/4 v0, 0x0
    const-wide/16 v4, 0x0
    cmp-long v1, v2, v4
    if-lez v1, :fallback
    :try_start
    const-string v1, "content://media/external/audio/albumart"
    invoke-static {v1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    invoke-static {v1, v2, v3}, Landroid/content/ContentUris;->withAppendedId(Landroid/net/Uri;J)Landroid/net/Uri;
    move-result-object v1
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v4
    invoke-virtual {v4, v1}, Landroid/content/ContentResolver;->openInputStream(Landroid/net/Uri;)Ljava/io/InputStream;
    move-result-object v1
    invoke-static {v1}, Landroid/graphics/BitmapFactory;->decodeStream(Ljava/io/InputStream;)Landroid/graphics/Bitmap;
    move-result-object v0
    invoke-virtual {v1}, Ljava/io/InputStream;->close()V
    :try_end
    .catch Ljava/lang/Exception; {:try_start .. :try_end} :fallback
    if-eqz v0, :fallback
    return-object v0
    :fallback
    const/16 v0, 0x40
    sget-object v1, Landroid/graphics/Bitmap$Config;->ARGB_8888:Landroid/graphics/Bitmap$Config;
    invoke-static {v0, v0, v1}, Landroid/graphics/Bitmap;->createBitmap(IILandroid/graphics/Bitmap$Config;)Landroid/graphics/Bitmap;
    move-result-object v0
    const v1, -0x9f8275
    invoke-virtual {v0, v1}, Landroid/graphics/Bitmap;->eraseColor(I)V
    return-object v0
.end method

# The kind's folder in the shared storage.
.method private static folder(I)Ljava/io/File;
    .locals 3
    const-string v0, "Images"
    if-eqz p0, :named
    const-string v0, "Music"
    const/4 v1, 0x1
    if-eq p0, v1, :named
    const-string v0, "Videos"
    :named
    new-instance v1, Ljava/io/File;
    invoke-static {}, Landroid/os/Environment;->getExternalStorageDirectory()Ljava/io/File;
    move-result-object v2
    invoke-direct {v1, v2, v0}, Ljava/io/File;-><init>(Ljava/io/File;Ljava/lang/String;)V
    return-object v1
.end method

# The file name a command names, in hexadecimal UTF-8 or as plain text;
# null when there is none or it would leave the kind's folder.
.method private static nameArg(Ljava/lang/String;Z)Ljava/lang/String;
    .locals 3
    if-eqz p1, :plain
    invoke-static {p0}, Lcom/velmora/tarvell/Wire;->unhexText(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    goto :check
    :plain
    const-string v0, "ISO-8859-1"
    invoke-virtual {p0, v0}, Ljava/lang/String;->getBytes(Ljava/lang/String;)[B
    move-result-object v0
    new-instance v1, Ljava/lang/String;
    const-string v2, "UTF-8"
    invoke-direct {v1, v0, v2}, Ljava/lang/String;-><init>([BLjava/lang/String;)V
    move-object v0, v1
    :check
    if-eqz v0, :bad
    invoke-virtual {v0}, Ljava/lang/String;->length()I
    move-result v1
    if-eqz v1, :bad
    const-string v1, "."
    invoke-virtual {v1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :bad
    const-string v1, ".."
    invoke-virtual {v1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :bad
    const/16 v1, 0x2f
    invoke-virtual {v0, v1}, Ljava/lang/String;->indexOf(I)I
    move-result v1
    if-gez v1, :bad
    const/16 v1, 0x5c
    invoke-virtual {v0, v1}, Ljava/lang/String;->indexOf(I)I
    move-result v1
    if-gez v1, :bad
    const/4 v1, 0x0
    invoke-virtual {v0, v1}, Ljava/lang/String;->indexOf(I)I
    move-result v1
    if-gez v1, :bad
    return-object v0
    :bad
    const/4 v0, 0x0
    return-object v0
.end method

.method private static answer(I)[B
    .locals 1
    invoke-static {p0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

# Drops the kind's upload: closes it and deletes its temporary file or its
# pending row.
.method private discard(I)V
    .locals 3
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aget-object v0, v0, p1
    if-eqz v0, :closed
    :try_start
    invoke-virtual {v0}, Ljava/io/OutputStream;->close()V
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :closed
    :closed
    const/4 v1, 0x0
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aput-object v1, v0, p1
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->pending:[Ljava/io/File;
    aget-object v0, v0, p1
    if-eqz v0, :gone
    invoke-virtual {v0}, Ljava/io/File;->delete()Z
    :gone
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->pending:[Ljava/io/File;
    aput-object v1, v0, p1
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    aget-object v0, v0, p1
    if-eqz v0, :no_row
    :row_try_start
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v1
    const/4 v2, 0x0
    invoke-virtual {v1, v0, v2, v2}, Landroid/content/ContentResolver;->delete(Landroid/net/Uri;Ljava/lang/String;[Ljava/lang/String;)I
    :row_try_end
    .catch Ljava/lang/RuntimeException; {:row_try_start .. :row_try_end} :no_row
    :no_row
    const/4 v1, 0x0
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    aput-object v1, v0, p1
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->pendingNames:[Ljava/lang/String;
    aput-object v1, v0, p1
    return-void
.end method

# Drops every upload that was not announced; called when a connection ends.
.method public discardUploads()V
    .locals 2
    const/4 v0, 0x0
    :loop
    const/4 v1, 0x3
    if-ge v0, v1, :done
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Media;->discard(I)V
    add-int/lit8 v0, v0, 0x1
    goto :loop
    :done
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->closeOpenFile()V
    return-void
.end method

.method private closeOpenFile()V
    .locals 2
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->openFile:Ljava/io/RandomAccessFile;
    if-eqz v0, :done
    const/4 v1, 0x0
    iput-object v1, p0, Lcom/velmora/tarvell/Media;->openFile:Ljava/io/RandomAccessFile;
    :try_start
    invoke-virtual {v0}, Ljava/io/RandomAccessFile;->close()V
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :done
    :done
    return-void
.end method

# "open_photofile:NAME;": starts a new upload into a hidden temporary file.
# Answers 1, or -1 for a name that leaves the folder or a file that cannot
# be created.
.method private open(ILjava/lang/String;)[B
    .locals 4
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    const/4 v0, 0x1
    invoke-static {p2, v0}, Lcom/velmora/tarvell/Media;->nameArg(Ljava/lang/String;Z)Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    sget v1, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v2, 0x1d
    if-lt v1, v2, :files
    invoke-direct {p0, p1, v0}, Lcom/velmora/tarvell/Media;->openRow(ILjava/lang/String;)[B
    move-result-object v0
    return-object v0
    :files
    invoke-static {p1}, Lcom/velmora/tarvell/Media;->folder(I)Ljava/io/File;
    move-result-object v1
    invoke-virtual {v1}, Ljava/io/File;->mkdirs()Z
    new-instance v2, Ljava/lang/StringBuilder;
    const-string v3, "."
    invoke-direct {v2, v3}, Ljava/lang/StringBuilder;-><init>(Ljava/lang/String;)V
    invoke-virtual {v2, v0}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    const-string v3, ".part"
    invoke-virtual {v2, v3}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    invoke-virtual {v2}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v2
    new-instance v3, Ljava/io/File;
    invoke-direct {v3, v1, v2}, Ljava/io/File;-><init>(Ljava/io/File;Ljava/lang/String;)V
    :try_start
    new-instance v1, Ljava/io/FileOutputStream;
    invoke-direct {v1, v3}, Ljava/io/FileOutputStream;-><init>(Ljava/io/File;)V
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :refused
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aput-object v1, v2, p1
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->pending:[Ljava/io/File;
    aput-object v3, v2, p1
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->pendingNames:[Ljava/lang/String;
    aput-object v0, v2, p1
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :refused
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# "write_photofile:N;" with N payload bytes: appends them to the open
# upload. Answers N, or -1 when no upload is open or the write fails (the
# upload is then dropped).
.method private write(I[B)[B
    .locals 2
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aget-object v0, v0, p1
    if-eqz v0, :refused
    :try_start
    invoke-virtual {v0, p2}, Ljava/io/OutputStream;->write([B)V
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :failed
    array-length v0, p2
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :failed
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    :refused
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# "close_photofile;": ends the upload's file; it stays hidden until it is
# announced. Answers 1, 0 when none was open, -1 when closing failed.
.method private close(I)[B
    .locals 3
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aget-object v0, v0, p1
    if-eqz v0, :none
    iget-object v1, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    const/4 v2, 0x0
    aput-object v2, v1, p1
    :try_start
    invoke-virtual {v0}, Ljava/io/OutputStream;->close()V
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :failed
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :failed
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :none
    const/4 v0, 0x0
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# "addphototodevice:NAME;": publishes a closed upload of that name under its
# name (replacing a file of the same name) and has MediaStore scan the file;
# a file copied by adb is scanned as it is. Answers 1, 0 when there is no
# such file, -1 for a name that leaves the folder.
.method private announce(ILjava/lang/String;)[B
    .locals 5
    const/4 v0, 0x1
    invoke-static {p2, v0}, Lcom/velmora/tarvell/Media;->nameArg(Ljava/lang/String;Z)Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    new-instance v1, Ljava/io/File;
    invoke-static {p1}, Lcom/velmora/tarvell/Media;->folder(I)Ljava/io/File;
    move-result-object v2
    invoke-direct {v1, v2, v0}, Ljava/io/File;-><init>(Ljava/io/File;Ljava/lang/String;)V
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->pendingNames:[Ljava/lang/String;
    aget-object v2, v2, p1
    if-eqz v2, :scan
    invoke-virtual {v2, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :scan
    # Never publish a file still being written.
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aget-object v2, v2, p1
    if-nez v2, :dropped
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    aget-object v2, v2, p1
    if-eqz v2, :rename
    invoke-direct {p0, p1, v0}, Lcom/velmora/tarvell/Media;->publish(ILjava/lang/String;)I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :rename
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->pending:[Ljava/io/File;
    aget-object v2, v2, p1
    invoke-virtual {v2, v1}, Ljava/io/File;->renameTo(Ljava/io/File;)Z
    :dropped
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    :scan
    invoke-virtual {v1}, Ljava/io/File;->isFile()Z
    move-result v2
    if-eqz v2, :missing
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->context:Landroid/content/Context;
    const/4 v3, 0x1
    new-array v3, v3, [Ljava/lang/String;
    invoke-virtual {v1}, Ljava/io/File;->getAbsolutePath()Ljava/lang/String;
    move-result-object v1
    const/4 v4, 0x0
    aput-object v1, v3, v4
    invoke-static {v2, v3, v4, v4}, Landroid/media/MediaScannerConnection;->scanFile(Landroid/content/Context;[Ljava/lang/String;[Ljava/lang/String;Landroid/media/MediaScannerConnection$OnScanCompletedListener;)V
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :missing
    # From Android 10 an upload published earlier is there already.
    sget v1, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v2, 0x1d
    const/4 v3, 0x0
    if-lt v1, v2, :answer_missing
    invoke-direct {p0, p1, v0}, Lcom/velmora/tarvell/Media;->rowNamed(ILjava/lang/String;)J
    move-result-wide v0
    const-wide/16 v2, 0x0
    cmp-long v0, v0, v2
    const/4 v3, 0x0
    if-ltz v0, :answer_missing
    const/4 v3, 0x1
    :answer_missing
    invoke-static {v3}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :refused
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# "addphototodevice_abort:NAME;": drops the upload; a file that already had
# the name stays as it was. Answers 0, -1 for a name that leaves the folder.
.method private abort(ILjava/lang/String;)[B
    .locals 1
    const/4 v0, 0x1
    invoke-static {p2, v0}, Lcom/velmora/tarvell/Media;->nameArg(Ljava/lang/String;Z)Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    const/4 v0, 0x0
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :refused
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# "checkFileisExist:NAME;" with the name as plain text: 1 when the kind's
# folder has a file of that name (or, from Android 10, MediaStore has a
# published item of that name in the kind's upload folder), else 0.
.method private check(ILjava/lang/String;)[B
    .locals 4
    const/4 v0, 0x0
    invoke-static {p2, v0}, Lcom/velmora/tarvell/Media;->nameArg(Ljava/lang/String;Z)Ljava/lang/String;
    move-result-object v1
    if-eqz v1, :answer
    new-instance v2, Ljava/io/File;
    invoke-static {p1}, Lcom/velmora/tarvell/Media;->folder(I)Ljava/io/File;
    move-result-object v0
    invoke-direct {v2, v0, v1}, Ljava/io/File;-><init>(Ljava/io/File;Ljava/lang/String;)V
    invoke-virtual {v2}, Ljava/io/File;->isFile()Z
    move-result v0
    if-nez v0, :answer
    sget v0, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v2, 0x1d
    if-lt v0, v2, :old
    invoke-direct {p0, p1, v1}, Lcom/velmora/tarvell/Media;->rowNamed(ILjava/lang/String;)J
    move-result-wide v0
    const-wide/16 v2, 0x0
    cmp-long v0, v0, v2
    if-ltz v0, :old
    const/4 v0, 0x1
    goto :answer
    :old
    const/4 v0, 0x0
    :answer
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# Deletes one item: its file and its MediaStore row. 1 when either went, 0
# when the phone refused both (media of other apps on Android 11 and later
# need the owner's consent) or the item is not there.
.method private delete(IJ)I
    .locals 6
    const/4 v1, 0x0
    const-wide/16 v2, 0x0
    cmp-long v0, p2, v2
    if-ltz v0, :done
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->closeOpenFile()V
    invoke-direct {p0, p1, p2, p3}, Lcom/velmora/tarvell/Media;->pathOf(IJ)Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :done
    # From Android 11 only MediaStore may delete a media file, and only one
    # the app made.
    sget v2, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v3, 0x1e
    if-ge v2, v3, :by_row
    new-instance v2, Ljava/io/File;
    invoke-direct {v2, v0}, Ljava/io/File;-><init>(Ljava/lang/String;)V
    invoke-virtual {v2}, Ljava/io/File;->delete()Z
    move-result v1
    :by_row
    :try_start
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v2
    sget-object v3, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    aget-object v3, v3, p1
    invoke-static {v3}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v3
    invoke-static {v3, p2, p3}, Landroid/content/ContentUris;->withAppendedId(Landroid/net/Uri;J)Landroid/net/Uri;
    move-result-object v3
    const/4 v4, 0x0
    invoke-virtual {v2, v3, v4, v4}, Landroid/content/ContentResolver;->delete(Landroid/net/Uri;Ljava/lang/String;[Ljava/lang/String;)I
    move-result v2
    :try_end
    .catch Ljava/lang/SecurityException; {:try_start .. :try_end} :done
    if-lez v2, :done
    const/4 v1, 0x1
    :done
    return v1
.end method

# "ClearPhotos;": deletes every item of the kind; answers how many went.
# From Android 11 the items of other apps are refused; the owner is then
# asked once, for all of them, and the phone deletes them when the owner
# agrees. The answer cannot wait for that: it counts what went before it.
.method private clear(I)[B
    .locals 7
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->flush(I)I
    move-result v5
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->list(I)Ljava/util/ArrayList;
    move-result-object v0
    new-instance v6, Ljava/util/ArrayList;
    invoke-direct {v6}, Ljava/util/ArrayList;-><init>()V
    const/4 v1, 0x0
    :loop
    invoke-virtual {v0}, Ljava/util/ArrayList;->size()I
    move-result v2
    if-ge v1, v2, :end
    invoke-virtual {v0, v1}, Ljava/util/ArrayList;->get(I)Ljava/lang/Object;
    move-result-object v2
    check-cast v2, Ljava/lang/Long;
    invoke-virtual {v2}, Ljava/lang/Long;->longValue()J
    move-result-wide v2
    invoke-direct {p0, p1, v2, v3}, Lcom/velmora/tarvell/Media;->delete(IJ)I
    move-result v4
    if-nez v4, :next
    sget-object v4, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    aget-object v4, v4, p1
    invoke-static {v4}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v4
    invoke-static {v4, v2, v3}, Landroid/content/ContentUris;->withAppendedId(Landroid/net/Uri;J)Landroid/net/Uri;
    move-result-object v4
    invoke-virtual {v6, v4}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    :next
    add-int/lit8 v1, v1, 0x1
    goto :loop
    :end
    sget v1, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v2, 0x1e
    if-lt v1, v2, :counted
    invoke-virtual {v6}, Ljava/util/ArrayList;->isEmpty()Z
    move-result v1
    if-nez v1, :counted
    invoke-direct {p0, v6}, Lcom/velmora/tarvell/Media;->askDelete(Ljava/util/ArrayList;)V
    :counted
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->flush(I)I
    move-result v0
    sub-int v0, v5, v0
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# From Android 11: has the activity ask the owner to let the phone delete
# the items (MediaStore.createDeleteRequest); the phone deletes them if the
# owner agrees.
.method private askDelete(Ljava/util/ArrayList;)V
    .locals 4
    :try_start
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v0
    invoke-static {v0, p1}, Landroid/provider/MediaStore;->createDeleteRequest(Landroid/content/ContentResolver;Ljava/util/Collection;)Landroid/app/PendingIntent;
    move-result-object v0
    new-instance v1, Landroid/content/Intent;
    iget-object v2, p0, Lcom/velmora/tarvell/Media;->context:Landroid/content/Context;
    const-class v3, Lcom/velmora/tarvell/activity/ServiceActivity;
    invoke-direct {v1, v2, v3}, Landroid/content/Intent;-><init>(Landroid/content/Context;Ljava/lang/Class;)V
    const/high16 v3, 0x10000000
    invoke-virtual {v1, v3}, Landroid/content/Intent;->addFlags(I)Landroid/content/Intent;
    const-string v3, "tarvell.consent"
    invoke-virtual {v1, v3, v0}, Landroid/content/Intent;->putExtra(Ljava/lang/String;Landroid/os/Parcelable;)Landroid/content/Intent;
    invoke-virtual {v2, v1}, Landroid/content/Context;->startActivity(Landroid/content/Intent;)V
    :try_end
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :done
    :done
    return-void
.end method

# The folder of the kind's uploads from Android 10, where MediaStore lets an
# app create items of the kind: "Pictures/", "Music/", "Movies/".
.method private static storeFolder(I)Ljava/lang/String;
    .locals 1
    const-string v0, "Pictures/"
    if-eqz p0, :named
    const/4 v0, 0x1
    if-eq p0, v0, :music
    const-string v0, "Movies/"
    return-object v0
    :music
    const-string v0, "Music/"
    :named
    return-object v0
.end method

# From Android 10: starts an upload as a pending MediaStore row in the
# kind's upload folder and opens it for writing. Answers 1, or -1 when the
# phone refuses the row or its file.
.method private openRow(ILjava/lang/String;)[B
    .locals 5
    new-instance v0, Landroid/content/ContentValues;
    invoke-direct {v0}, Landroid/content/ContentValues;-><init>()V
    const-string v1, "_display_name"
    invoke-virtual {v0, v1, p2}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v1, "relative_path"
    invoke-static {p1}, Lcom/velmora/tarvell/Media;->storeFolder(I)Ljava/lang/String;
    move-result-object v2
    invoke-virtual {v0, v1, v2}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v1, "is_pending"
    const/4 v2, 0x1
    invoke-static {v2}, Ljava/lang/Integer;->valueOf(I)Ljava/lang/Integer;
    move-result-object v2
    invoke-virtual {v0, v1, v2}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/Integer;)V
    # The MIME type from the extension; without one the phone derives it
    # from the name or refuses the row.
    const/16 v1, 0x2e
    invoke-virtual {p2, v1}, Ljava/lang/String;->lastIndexOf(I)I
    move-result v1
    add-int/lit8 v1, v1, 0x1
    invoke-virtual {p2, v1}, Ljava/lang/String;->substring(I)Ljava/lang/String;
    move-result-object v1
    sget-object v2, Ljava/util/Locale;->ROOT:Ljava/util/Locale;
    invoke-virtual {v1, v2}, Ljava/lang/String;->toLowerCase(Ljava/util/Locale;)Ljava/lang/String;
    move-result-object v1
    invoke-static {}, Landroid/webkit/MimeTypeMap;->getSingleton()Landroid/webkit/MimeTypeMap;
    move-result-object v2
    invoke-virtual {v2, v1}, Landroid/webkit/MimeTypeMap;->getMimeTypeFromExtension(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    if-eqz v1, :typed
    const-string v2, "mime_type"
    invoke-virtual {v0, v2, v1}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    :typed
    :try_start
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v1
    sget-object v2, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    aget-object v2, v2, p1
    invoke-static {v2}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v2
    invoke-virtual {v1, v2, v0}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v2
    if-eqz v2, :refused
    iget-object v3, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    aput-object v2, v3, p1
    iget-object v3, p0, Lcom/velmora/tarvell/Media;->pendingNames:[Ljava/lang/String;
    aput-object p2, v3, p1
    const-string v3, "w"
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentResolver;->openOutputStream(Landroid/net/Uri;Ljava/lang/String;)Ljava/io/OutputStream;
    move-result-object v3
    if-eqz v3, :failed
    iget-object v4, p0, Lcom/velmora/tarvell/Media;->uploads:[Ljava/io/OutputStream;
    aput-object v3, v4, p1
    :try_end
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :failed
    .catch Ljava/io/IOException; {:try_start .. :try_end} :failed
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
    :failed
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    :refused
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->answer(I)[B
    move-result-object v0
    return-object v0
.end method

# From Android 10: publishes the closed pending row (IS_PENDING=0). Only
# once it is published does an earlier item of the same name go (one this
# app made; another app's item stays and the phone keeps the new one under
# a name of its own), after which the new item takes the name. Answers 1,
# 0 when the phone refuses to publish (the row is then deleted and the
# earlier item stays).
.method private publish(ILjava/lang/String;)I
    .locals 7
    iget-object v0, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    aget-object v0, v0, p1
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v1
    invoke-direct {p0, p1, p2}, Lcom/velmora/tarvell/Media;->rowNamed(ILjava/lang/String;)J
    move-result-wide v2
    new-instance v4, Landroid/content/ContentValues;
    invoke-direct {v4}, Landroid/content/ContentValues;-><init>()V
    const-string v5, "is_pending"
    const/4 v6, 0x0
    invoke-static {v6}, Ljava/lang/Integer;->valueOf(I)Ljava/lang/Integer;
    move-result-object v6
    invoke-virtual {v4, v5, v6}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/Integer;)V
    const/4 v5, 0x0
    :try_start
    const/4 v6, 0x0
    invoke-virtual {v1, v0, v4, v6, v6}, Landroid/content/ContentResolver;->update(Landroid/net/Uri;Landroid/content/ContentValues;Ljava/lang/String;[Ljava/lang/String;)I
    move-result v5
    :try_end
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :updated
    :updated
    if-gtz v5, :published
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    const/4 v0, 0x0
    return v0
    :published
    # The row is the owner's item now: the discard below keeps it.
    const/4 v4, 0x0
    iget-object v5, p0, Lcom/velmora/tarvell/Media;->pendingRows:[Landroid/net/Uri;
    aput-object v4, v5, p1
    invoke-direct {p0, p1}, Lcom/velmora/tarvell/Media;->discard(I)V
    const-wide/16 v4, 0x0
    cmp-long v4, v2, v4
    if-ltz v4, :done
    :old_try_start
    sget-object v4, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    aget-object v4, v4, p1
    invoke-static {v4}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v4
    invoke-static {v4, v2, v3}, Landroid/content/ContentUris;->withAppendedId(Landroid/net/Uri;J)Landroid/net/Uri;
    move-result-object v4
    const/4 v5, 0x0
    invoke-virtual {v1, v4, v5, v5}, Landroid/content/ContentResolver;->delete(Landroid/net/Uri;Ljava/lang/String;[Ljava/lang/String;)I
    move-result v4
    if-lez v4, :done
    new-instance v4, Landroid/content/ContentValues;
    invoke-direct {v4}, Landroid/content/ContentValues;-><init>()V
    const-string v5, "_display_name"
    invoke-virtual {v4, v5, p2}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v5, 0x0
    invoke-virtual {v1, v0, v4, v5, v5}, Landroid/content/ContentResolver;->update(Landroid/net/Uri;Landroid/content/ContentValues;Ljava/lang/String;[Ljava/lang/String;)I
    :old_try_end
    .catch Ljava/lang/RuntimeException; {:old_try_start .. :old_try_end} :done
    :done
    const/4 v0, 0x1
    return v0
.end method

# From Android 10: the id of the published item of that name in the kind's
# upload folder, -1 when there is none.
.method private rowNamed(ILjava/lang/String;)J
    .locals 7
    invoke-direct {p0}, Lcom/velmora/tarvell/Media;->resolver()Landroid/content/ContentResolver;
    move-result-object v0
    sget-object v1, Lcom/velmora/tarvell/Media;->URIS:[Ljava/lang/String;
    aget-object v1, v1, p1
    invoke-static {v1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    const/4 v2, 0x1
    new-array v2, v2, [Ljava/lang/String;
    const-string v3, "_id"
    const/4 v4, 0x0
    aput-object v3, v2, v4
    const-string v3, "relative_path=? AND _display_name=?"
    const/4 v4, 0x2
    new-array v4, v4, [Ljava/lang/String;
    invoke-static {p1}, Lcom/velmora/tarvell/Media;->storeFolder(I)Ljava/lang/String;
    move-result-object v5
    const/4 v6, 0x0
    aput-object v5, v4, v6
    const/4 v6, 0x1
    aput-object p2, v4, v6
    const/4 v5, 0x0
    :try_start
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    :try_end
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :none
    if-eqz v0, :none
    invoke-interface {v0}, Landroid/database/Cursor;->moveToNext()Z
    move-result v1
    if-eqz v1, :empty
    const/4 v1, 0x0
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v1
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    return-wide v1
    :empty
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :none
    const-wide/16 v0, -0x1
    return-wide v0
.end method
